; Comparisons and conditional jumps of PRI against ALT (first and second
; argument), with operands whose signed and unsigned orders differ.
;! run neq 3 3 -> rc=0 result=0
;! run neq 3 4 -> rc=0 result=1
;! run leq -1 1 -> rc=0 result=0
;! run leq 1 -1 -> rc=0 result=1
;! run leq 2 2 -> rc=0 result=1
;! run grtr -1 1 -> rc=0 result=1
;! run grtr 1 -1 -> rc=0 result=0
;! run grtr 2 2 -> rc=0 result=0
;! run geq -1 1 -> rc=0 result=1
;! run geq 1 -1 -> rc=0 result=0
;! run geq 2 2 -> rc=0 result=1
;! run sleq -1 1 -> rc=0 result=1
;! run sleq 1 -1 -> rc=0 result=0
;! run sleq 2 2 -> rc=0 result=1
;! run sgrtr -1 1 -> rc=0 result=0
;! run sgrtr 1 -1 -> rc=0 result=1
;! run sgrtr 2 2 -> rc=0 result=0
;! run sgeq -1 1 -> rc=0 result=0
;! run sgeq 1 -1 -> rc=0 result=1
;! run sgeq 2 2 -> rc=0 result=1
;! run jeq 3 3 -> rc=0 result=1
;! run jeq 3 4 -> rc=0 result=0
;! run jneq 3 3 -> rc=0 result=0
;! run jneq 3 4 -> rc=0 result=1
;! run jleq -1 1 -> rc=0 result=0
;! run jleq 1 -1 -> rc=0 result=1
;! run jleq 2 2 -> rc=0 result=1
;! run jgrtr -1 1 -> rc=0 result=1
;! run jgrtr 1 -1 -> rc=0 result=0
;! run jgrtr 2 2 -> rc=0 result=0
;! run jgeq -1 1 -> rc=0 result=1
;! run jgeq 1 -1 -> rc=0 result=0
;! run jgeq 2 2 -> rc=0 result=1
;! run jsleq -1 1 -> rc=0 result=1
;! run jsleq 1 -1 -> rc=0 result=0
;! run jsleq 2 2 -> rc=0 result=1
;! run jsgrtr -1 1 -> rc=0 result=0
;! run jsgrtr 1 -1 -> rc=0 result=1
;! run jsgrtr 2 2 -> rc=0 result=0
.public neq neq
.public leq leq
.public grtr grtr
.public geq geq
.public sleq sleq
.public sgrtr sgrtr
.public sgeq sgeq
.public jeq jeq
.public jneq jneq
.public jleq jleq
.public jgrtr jgrtr
.public jgeq jgeq
.public jsleq jsleq
.public jsgrtr jsgrtr
.code
        halt 0
neq:    proc
        load.s.pri 12
        load.s.alt 16
        neq
        retn
leq:    proc
        load.s.pri 12
        load.s.alt 16
        leq
        retn
grtr:   proc
        load.s.pri 12
        load.s.alt 16
        grtr
        retn
geq:    proc
        load.s.pri 12
        load.s.alt 16
        geq
        retn
sleq:   proc
        load.s.pri 12
        load.s.alt 16
        sleq
        retn
sgrtr:  proc
        load.s.pri 12
        load.s.alt 16
        sgrtr
        retn
sgeq:   proc
        load.s.pri 12
        load.s.alt 16
        sgeq
        retn
jeq:    proc
        load.s.pri 12
        load.s.alt 16
        jeq jeq_taken
        const.pri 0
        retn
jeq_taken: const.pri 1
        retn
jneq:   proc
        load.s.pri 12
        load.s.alt 16
        jneq jneq_taken
        const.pri 0
        retn
jneq_taken: const.pri 1
        retn
jleq:   proc
        load.s.pri 12
        load.s.alt 16
        jleq jleq_taken
        const.pri 0
        retn
jleq_taken: const.pri 1
        retn
jgrtr:  proc
        load.s.pri 12
        load.s.alt 16
        jgrtr jgrtr_taken
        const.pri 0
        retn
jgrtr_taken: const.pri 1
        retn
jgeq:   proc
        load.s.pri 12
        load.s.alt 16
        jgeq jgeq_taken
        const.pri 0
        retn
jgeq_taken: const.pri 1
        retn
jsleq:  proc
        load.s.pri 12
        load.s.alt 16
        jsleq jsleq_taken
        const.pri 0
        retn
jsleq_taken: const.pri 1
        retn
jsgrtr: proc
        load.s.pri 12
        load.s.alt 16
        jsgrtr jsgrtr_taken
        const.pri 0
        retn
jsgrtr_taken: const.pri 1
        retn
