; An instruction whose operand would lie beyond the code section.
;! run f -> rc=22
.public f f
.code
        halt 0
f:      proc
        retn
        .cell 11
.data
        .cell 5
