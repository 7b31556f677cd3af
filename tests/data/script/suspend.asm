; HALT 12 suspends; index -2 continues after it with the saved registers.
;! run f 5 -> rc=12 result=5
;! continue -> rc=0 result=6
;! run twice -> rc=12 result=1
;! continue -> rc=12 result=2
;! continue -> rc=0 result=3
;! run f 9 -> rc=12 result=9
;! run g -> rc=0 result=77
.public f f
.public twice twice
.public g g
.code
        halt 0
f:      proc
        load.s.pri 12
        halt 12
        add.c 1
        retn
twice:  proc
        const.pri 1
        halt 12
        const.pri 2
        halt 12
        const.pri 3
        retn
g:      proc
        const.pri 77
        retn
