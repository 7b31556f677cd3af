; Opcode 137 in the code.
;! run f -> rc=22
.public f f
.code
        halt 0
f:      proc
        retn
        .cell 137
