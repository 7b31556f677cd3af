; Entry indexes: publics, the main entry, and those out of range.
;! run-index 0 -> rc=0 result=1
;! run-index 1 -> rc=0 result=2
;! run-index 2 -> rc=20 result=untouched
;! run-index -3 -> rc=20
;! run-index -1 -> rc=0 result=77
.public a fa
.public b fb
.main start
.code
        halt 0
fa:     proc
        const.pri 1
        retn
fb:     proc
        const.pri 2
        retn
start:  const.pri 77
        halt 0
