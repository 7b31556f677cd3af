; Frame layout, returns to HALT 0 and HALT codes.
;! run count 5 9 -> rc=0 result=8
;! run first 5 9 -> rc=0 result=5
;! run second 5 9 -> rc=0 result=9
;! run retaddr 1 -> rc=0 result=0
;! run ret1234 -> rc=0 result=1234
;! run nested -> rc=0 result=42
;! run locals -> rc=0 result=12
;! run callerframe -> rc=0 result=1
;! run halt7 -> rc=7 result=99
.public count count
.public first first
.public second second
.public retaddr retaddr
.public ret1234 ret1234
.public nested nested
.public locals locals
.public callerframe callerframe
.public halt7 halt7
.code
        halt 0
count:  proc
        load.s.pri 8
        retn
first:  proc
        load.s.pri 12
        retn
second: proc
        load.s.pri 16
        retn
retaddr: proc
        load.s.pri 4
        retn
ret1234: proc
        const.pri 1234
        retn
nested: proc
        push.c 21
        push.c 4
        call double
        retn
double: proc
        load.s.pri 12
        smul.c 2
        retn
locals: proc
        stack -8
        const.pri 3
        stor.s.pri -4
        const.pri 4
        stor.s.pri -8
        load.s.pri -4
        load.s.alt -8
        smul
        stack 8
        retn
; the callee's [FRM] holds the caller's FRM
callerframe: proc
        lctrl 5
        push.pri
        push.c 4
        call getframe
        retn
getframe: proc
        load.s.pri 0
        load.s.alt 12
        eq
        retn
halt7:  const.pri 99
        halt 7
