; Stores and loads through ALT, references through pointer cells, in-place
; counters, index arithmetic, and a native called by number from PRI.
;! run lrefalt -> rc=0 result=77
;! run lrefsalt -> rc=0 result=78
;! run addralt 5 -> rc=0 result=5
;! run storalt -> rc=0 result=33
;! cell salt = 33
;! run storsalt -> rc=0 result=44
;! run srefpri -> rc=0 result=61
;! cell r1 = 61
;! run srefalt -> rc=0 result=62
;! cell r2 = 62
;! run srefspri -> rc=0 result=63
;! run srefsalt -> rc=0 result=64
;! run stori -> rc=0 result=65
;! cell r5 = 65
;! run zero -> rc=0 result=100
;! cell z1 = 0
;! run zeros -> rc=0 result=200
;! run incalt -> rc=0 result=8
;! run incs -> rc=0 result=6
;! run inci -> rc=0 result=11
;! cell c1 = 11
;! run decalt -> rc=0 result=6
;! run decs -> rc=0 result=4
;! run deci -> rc=0 result=9
;! cell c2 = 9
;! run idxaddr -> rc=0 result=30
;! run idxaddrb -> rc=0 result=40
;! run alignalt -> rc=0 result=259
;! run pushalt -> rc=0 result=55
;! run swapalt -> rc=0 result=93
;! run subalt -> rc=0 result=7
;! run umul -> rc=0 result=131073
;! run signalt -> rc=0 result=-128
;! run sysreqpri -3 2 -> rc=0 result=2
;! run sysreqpri 9 2 -> rc=0 result=9
.native max
.public lrefalt lrefalt
.public lrefsalt lrefsalt
.public addralt addralt
.public storalt storalt
.public storsalt storsalt
.public srefpri srefpri
.public srefalt srefalt
.public srefspri srefspri
.public srefsalt srefsalt
.public stori stori
.public zero zero
.public zeros zeros
.public incalt incalt
.public incs incs
.public inci inci
.public decalt decalt
.public decs decs
.public deci deci
.public idxaddr idxaddr
.public idxaddrb idxaddrb
.public alignalt alignalt
.public pushalt pushalt
.public swapalt swapalt
.public subalt subalt
.public umul umul
.public signalt signalt
.public sysreqpri sysreqpri
.data
target:  .cell 77
ptr:     .cell target
target2: .cell 78
salt:    .cell 0
r1:      .cell 0
p1:      .cell r1
r2:      .cell 0
p2:      .cell r2
r3:      .cell 0
r4:      .cell 0
r5:      .cell 0
z1:      .cell 9
c1:      .cell 10
c2:      .cell 10
seq:     .cell 10, 20, 30, 40
.code
        halt 0
lrefalt: proc
        lref.alt ptr
        move.pri
        retn
lrefsalt: proc
        push.c target2
        lref.s.alt -4
        move.pri
        stack 4
        retn
addralt: proc
        addr.alt 12
        move.pri
        load.i
        retn
storalt: proc
        const.alt 33
        stor.alt salt
        load.pri salt
        retn
storsalt: proc
        stack -4
        const.alt 44
        stor.s.alt -4
        load.s.pri -4
        stack 4
        retn
srefpri: proc
        const.pri 61
        sref.pri p1
        load.pri r1
        retn
srefalt: proc
        const.alt 62
        sref.alt p2
        load.pri r2
        retn
srefspri: proc
        push.c r3
        const.pri 63
        sref.s.pri -4
        stack 4
        load.pri r3
        retn
srefsalt: proc
        push.c r4
        const.alt 64
        sref.s.alt -4
        stack 4
        load.pri r4
        retn
stori:  proc
        const.alt r5
        const.pri 65
        stor.i
        load.pri r5
        retn
zero:   proc
        zero z1
        load.pri z1
        add.c 100
        retn
zeros:  proc
        push.c 7
        zero.s -4
        load.s.pri -4
        add.c 200
        stack 4
        retn
incalt: proc
        const.alt 7
        inc.alt
        move.pri
        retn
incs:   proc
        push.c 5
        inc.s -4
        load.s.pri -4
        stack 4
        retn
inci:   proc
        const.pri c1
        inc.i
        load.pri c1
        retn
decalt: proc
        const.alt 7
        dec.alt
        move.pri
        retn
decs:   proc
        push.c 5
        dec.s -4
        load.s.pri -4
        stack 4
        retn
deci:   proc
        const.pri c2
        dec.i
        load.pri c2
        retn
; PRI x 4 + ALT: seq[2]
idxaddr: proc
        const.alt seq
        const.pri 2
        idxaddr
        load.i
        retn
; (PRI shifted left by 1) + ALT: byte 12, seq[3]
idxaddrb: proc
        const.alt seq
        const.pri 6
        idxaddr.b 1
        load.i
        retn
; 0x100 xor 3, then a count of 4 changes nothing
alignalt: proc
        const.alt 0x100
        align.alt 1
        align.alt 4
        move.pri
        retn
pushalt: proc
        const.alt 55
        push.alt
        pop.pri
        retn
; ALT and the top cell change places: PRI 9, ALT 3
swapalt: proc
        push.c 3
        const.alt 9
        swap.alt
        pop.pri
        smul.c 10
        add
        retn
subalt: proc
        const.pri 3
        const.alt 10
        sub.alt
        retn
; the low 32 bits of 0x10001 squared
umul:   proc
        const.pri 0x10001
        const.alt 0x10001
        umul
        retn
signalt: proc
        const.alt 0x80
        sign.alt
        move.pri
        retn
; max(first, second) through native number 0 taken from PRI
sysreqpri: proc
        push.s 16
        push.s 12
        push.c 8
        const.pri 0
        sysreq.pri
        stack 12
        retn
