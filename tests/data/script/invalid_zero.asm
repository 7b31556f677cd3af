; Opcode 0 in the code: the image loads, the machine stays uninitialised.
;! run f -> rc=22 result=untouched
.public f f
.code
        halt 0
f:      proc
        retn
        .cell 0
