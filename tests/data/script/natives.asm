; The core natives.
;! run strlen4 -> rc=0 result=4
;! run strlenpacked -> rc=0 result=3
;! run strlenbad -> rc=0 result=0
;! run strpack -> rc=0 result=4
;! cell packed = 0x61626364
;! cell packed+4 = 0
;! run strunpack -> rc=0 result=3
;! cell unpacked = 97
;! cell unpacked+4 = 98
;! cell unpacked+8 = 99
;! cell unpacked+12 = 0
;! run strpackbad -> rc=5 result=untouched
;! run swapchars 0x11223344 -> rc=0 result=0x44332211
;! run tolower 65 -> rc=0 result=97
;! run tolower 0xC9 -> rc=0 result=0xE9
;! run toupper 0xE9 -> rc=0 result=0xC9
;! run toupper 49 -> rc=0 result=49
;! run min -3 2 -> rc=0 result=-3
;! run max -3 2 -> rc=0 result=2
;! run clamp 5 1 3 -> rc=0 result=3
;! run clamp 0 1 3 -> rc=0 result=1
;! run clamp 2 1 3 -> rc=0 result=2
;! run clamp 2 3 1 -> rc=10 result=untouched
;! run numargs 1 2 3 -> rc=0 result=3
;! run getarg -> rc=0 result=100
;! run numargsfar -> rc=5 result=untouched
;! run setarg -> rc=0 result=55
;! run heapspace -> rc=0 result=1
;! run funcfirst -> rc=0 result=0
;! run funcnone -> rc=0 result=-1
;! run func63 -> rc=0 result=-1
;! run func64 -> rc=10 result=untouched
;! random-state 1
;! run random 0 -> rc=0 result=16838
;! random-state-is 1103527590
;! run random 0 -> rc=0 result=1507104382
;! random-state 1
;! run random 10 -> rc=0 result=8
;! random-state 1
;! run random -5 -> rc=0 result=16838
.native strlen
.native strpack
.native strunpack
.native swapchars
.native tolower
.native toupper
.native min
.native max
.native clamp
.native numargs
.native getarg
.native setarg
.native heapspace
.native funcidx
.native random
.public strlen4 strlen4
.public strlenpacked strlenpacked
.public strlenbad strlenbad
.public strpack strpack
.public strunpack strunpack
.public strpackbad strpackbad
.public swapchars swapchars
.public tolower tolower
.public toupper toupper
.public min min
.public max max
.public clamp clamp
.public numargs numargs
.public numargsfar numargsfar
.public getarg getarg
.public setarg setarg
.public heapspace heapspace
.public aaa_first funcfirst
.public funcfirst funcfirst
.public funcnone funcnone
.public func63 func63
.public func64 func64
.public random random
.data
abcd:     .cell 97, 98, 99, 100, 0
pabc:     .packed "abc"
packed:   .cell -1, -1
unpacked: .cell -1, -1, -1, -1
seq:      .cell 10, 20, 30, 100
target:   .cell 0, 0
scratch:  .cell 0
first:    .string "aaa_first"
none:     .string "zzz_none"
name63:   .string "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijk"
name64:   .string "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijkl"
.code
        halt 0
strlen4: proc
        push.c abcd
        push.c 4
        sysreq.c strlen
        stack 8
        retn
strlenpacked: proc
        push.c pabc
        push.c 4
        sysreq.c strlen
        stack 8
        retn
strlenbad: proc
        push.c -8
        push.c 4
        sysreq.c strlen
        stack 8
        retn
strpack: proc
        push.c abcd
        push.c packed
        push.c 8
        sysreq.c strpack
        stack 12
        retn
strunpack: proc
        push.c pabc
        push.c unpacked
        push.c 8
        sysreq.c strunpack
        stack 12
        retn
strpackbad: proc
        push.c abcd
        push.c 0x7FFFFFF0
        push.c 8
        sysreq.c strpack
        stack 12
        retn
swapchars: proc
        push.s 12
        push.c 4
        sysreq.c swapchars
        stack 8
        retn
tolower: proc
        push.s 12
        push.c 4
        sysreq.c tolower
        stack 8
        retn
toupper: proc
        push.s 12
        push.c 4
        sysreq.c toupper
        stack 8
        retn
min:    proc
        push.s 16
        push.s 12
        push.c 8
        sysreq.c min
        stack 12
        retn
max:    proc
        push.s 16
        push.s 12
        push.c 8
        sysreq.c max
        stack 12
        retn
clamp:  proc
        push.s 20
        push.s 16
        push.s 12
        push.c 12
        sysreq.c clamp
        stack 16
        retn
numargs: proc
        push.c 0
        sysreq.c numargs
        stack 4
        retn
; with FRM at the top of the address range the argument count is unreadable
numargsfar: proc
        const.pri 0x7FFFFFFC
        sctrl 5
        push.c 0
        sysreq.c numargs
        stack 4
        retn
; getarg(1, 3) of a function whose arguments are abcd and seq: seq[3]
getarg: proc
        push.c seq
        push.c abcd
        push.c 8
        call getarg_in
        retn
getarg_in: proc
        push.c 3
        push.c 1
        push.c 8
        sysreq.c getarg
        stack 12
        retn
; setarg(0, 1, 55) of a function whose argument is target: target[1] := 55
setarg: proc
        push.c target
        push.c 4
        call setarg_in
        move.alt
        load.pri target+4
        smul
        retn
setarg_in: proc
        push.c 55
        push.c 1
        push.c 0
        push.c 12
        sysreq.c setarg
        stack 16
        retn
; heapspace is STK - HEA at the call, STK then holding the byte count
heapspace: proc
        push.c 0
        sysreq.c heapspace
        stack 4
        stor.pri scratch
        lctrl 2
        move.alt
        lctrl 4
        sub
        add.c -4
        load.alt scratch
        eq
        retn
funcfirst: proc
        push.c first
        push.c 4
        sysreq.c funcidx
        stack 8
        retn
funcnone: proc
        push.c none
        push.c 4
        sysreq.c funcidx
        stack 8
        retn
func63: proc
        push.c name63
        push.c 4
        sysreq.c funcidx
        stack 8
        retn
func64: proc
        push.c name64
        push.c 4
        sysreq.c funcidx
        stack 8
        retn
random: proc
        push.s 12
        push.c 4
        sysreq.c random
        stack 8
        retn
