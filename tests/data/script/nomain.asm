; Without a main entry, index -1 is refused with 20.
;! run-index -1 -> rc=20 result=untouched
;! run-index 0 -> rc=0 result=3
.public a fa
.code
        halt 0
fa:     proc
        const.pri 3
        retn
