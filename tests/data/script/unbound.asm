; A native that no registered table names: binding reports 19 and every run
; is refused with 19.
;! natives 19
;! run f -> rc=19 result=untouched
;! run f -> rc=19
.native strlen
.native nosuchnative
.public f f
.code
        halt 0
f:      proc
        const.pri 1
        retn
