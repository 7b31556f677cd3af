; Division, shifts, signs and comparisons.
;! run sdivq 7 -2 -> rc=0 result=-4
;! run sdivr 7 -2 -> rc=0 result=-1
;! run sdivq -7 2 -> rc=0 result=-4
;! run sdivr -7 2 -> rc=0 result=1
;! run sdivq 6 3 -> rc=0 result=2
;! run sdivr 6 -3 -> rc=0 result=0
;! run sdivq 5 0 -> rc=11 result=untouched
;! run sdivq -2147483648 -1 -> rc=0
;! run sdivaltq 7 -2 -> rc=0 result=-4
;! run sdivaltr 7 -2 -> rc=0 result=-1
;! run sdivaltq 7 0 -> rc=11 result=untouched
;! run udivq -1 16 -> rc=0 result=268435455
;! run udivr -1 16 -> rc=0 result=15
;! run udivq 1 0 -> rc=11 result=untouched
;! run udivaltq -1 16 -> rc=0 result=268435455
;! run udivaltq 1 0 -> rc=11
;! run shl 1 33 -> rc=0 result=2
;! run shl 1 31 -> rc=0 result=-2147483648
;! run shr -16 2 -> rc=0 result=1073741820
;! run sshr -16 2 -> rc=0 result=-4
;! run sshr -16 34 -> rc=0 result=-4
;! run shlc 3 -> rc=0 result=6
;! run smul 65536 65536 -> rc=0 result=0
;! run smul -3 7 -> rc=0 result=-21
;! run add 2147483647 1 -> rc=0 result=-2147483648
;! run neg -2147483648 -> rc=0 result=-2147483648
;! run sign 128 -> rc=0 result=-128
;! run sign 383 -> rc=0 result=383
;! run sign 511 -> rc=0 result=-1
;! run less -1 1 -> rc=0 result=0
;! run sless -1 1 -> rc=0 result=1
;! run jless -1 1 -> rc=0 result=0
;! run jsless -1 1 -> rc=0 result=1
;! run jsgeq -1 -1 -> rc=0 result=1
;! run not 0 -> rc=0 result=1
;! run not 5 -> rc=0 result=0
;! run invert 0 -> rc=0 result=-1
;! run eqcalt 42 -> rc=0 result=1
;! run align 8 -> rc=0 result=11
;! run align 8 4 -> rc=0 result=8
;! run bounds 4 -> rc=0 result=4
;! run bounds 5 -> rc=4 result=untouched
;! run bounds -1 -> rc=4
.public sdivq sdivq
.public sdivr sdivr
.public sdivaltq sdivaltq
.public sdivaltr sdivaltr
.public udivq udivq
.public udivr udivr
.public udivaltq udivaltq
.public shl shl
.public shr shr
.public sshr sshr
.public shlc shlc
.public smul smul
.public add add
.public neg neg
.public sign sign
.public less less
.public sless sless
.public jless jless
.public jsless jsless
.public jsgeq jsgeq
.public not not
.public invert invert
.public eqcalt eqcalt
.public align align
.public bounds bounds
.code
        halt 0
sdivq:  proc
        load.s.pri 12
        load.s.alt 16
        sdiv
        retn
sdivr:  proc
        load.s.pri 12
        load.s.alt 16
        sdiv
        move.pri
        retn
; SDIV.ALT divides ALT by PRI
sdivaltq: proc
        load.s.alt 12
        load.s.pri 16
        sdiv.alt
        retn
sdivaltr: proc
        load.s.alt 12
        load.s.pri 16
        sdiv.alt
        move.pri
        retn
udivq:  proc
        load.s.pri 12
        load.s.alt 16
        udiv
        retn
udivr:  proc
        load.s.pri 12
        load.s.alt 16
        udiv
        move.pri
        retn
udivaltq: proc
        load.s.alt 12
        load.s.pri 16
        udiv.alt
        retn
shl:    proc
        load.s.pri 12
        load.s.alt 16
        shl
        retn
shr:    proc
        load.s.pri 12
        load.s.alt 16
        shr
        retn
sshr:   proc
        load.s.pri 12
        load.s.alt 16
        sshr
        retn
shlc:   proc
        load.s.pri 12
        shl.c.pri 33
        retn
smul:   proc
        load.s.pri 12
        load.s.alt 16
        smul
        retn
add:    proc
        load.s.pri 12
        load.s.alt 16
        add
        retn
neg:    proc
        load.s.pri 12
        neg
        retn
sign:   proc
        load.s.pri 12
        sign.pri
        retn
less:   proc
        load.s.pri 12
        load.s.alt 16
        less
        retn
sless:  proc
        load.s.pri 12
        load.s.alt 16
        sless
        retn
jless:  proc
        load.s.pri 12
        load.s.alt 16
        jless jl_yes
        zero.pri
        retn
jl_yes: const.pri 1
        retn
jsless: proc
        load.s.pri 12
        load.s.alt 16
        jsless js_yes
        zero.pri
        retn
js_yes: const.pri 1
        retn
jsgeq:  proc
        load.s.pri 12
        load.s.alt 16
        jsgeq jg_yes
        zero.pri
        retn
jg_yes: const.pri 1
        retn
not:    proc
        load.s.pri 12
        not
        retn
invert: proc
        load.s.pri 12
        invert
        retn
eqcalt: proc
        load.s.alt 12
        zero.pri
        eq.c.alt 42
        retn
; ALIGN.PRI 1 flips the low bits by 3; an operand of 4 or more does nothing
align:  proc
        load.s.pri 8
        eq.c.pri 8
        jnz align_two
        load.s.pri 12
        align.pri 1
        retn
align_two: load.s.pri 12
        align.pri 4
        retn
bounds: proc
        load.s.pri 12
        bounds 4
        retn
