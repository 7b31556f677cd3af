; SWITCH: the default, the first of equal cases, an empty table; CASETBL
; itself is not executable.
;! run sw 1 -> rc=0 result=100
;! run sw 2 -> rc=0 result=200
;! run sw 5 -> rc=0 result=-1
;! run sw -7 -> rc=0 result=-700
;! run empty 3 -> rc=0 result=9
;! run intotable -> rc=6 result=untouched
.public sw sw
.public empty empty
.public intotable intotable
.code
        halt 0
sw:     proc
        load.s.pri 12
        switch table
table:  casetbl fallback, 1, one, 2, two, 1, other, -7, minus
one:    const.pri 100
        retn
two:    const.pri 200
        retn
other:  const.pri 300
        retn
minus:  const.pri -700
        retn
fallback: const.pri -1
        retn
empty:  proc
        load.s.pri 12
        switch none
none:   casetbl nothing
nothing: const.pri 9
        retn
intotable: proc
        jump table
