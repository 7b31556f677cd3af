; Byte access, block instructions and guarded memory.
;! run lodb1 -> rc=0 result=255
;! run lodbsign -> rc=0 result=-1
;! run lodb2 -> rc=0 result=65535
;! run lodb3 -> rc=0 result=16777215
;! run strb -> rc=0 result=0x5634
;! run cmps3 -> rc=0 result=1
;! run cmps3rev -> rc=0 result=-1
;! run cmps2 -> rc=0 result=0
;! run fill6 -> rc=0
;! cell fillbuf = 7
;! cell fillbuf+4 = 0
;! run movs -> rc=0
;! cell seq = 1
;! cell seq+4 = 1
;! cell seq+8 = 2
;! cell seq+12 = 3
;! run lidx 2 -> rc=0 result=2
;! run lidxb 1 -> rc=0 result=1
;! run loadi -4 -> rc=5 result=untouched
;! run loadi 0x7FFFFFF0 -> rc=5
;! run gap -> rc=5
;! run loadfar -> rc=5
;! run storneg -> rc=5
;! run lrefbad -> rc=5
;! run pushbad -> rc=5
;! run incbad -> rc=5
;! run movsbad -> rc=5
;! run fillbad -> rc=5
;! run unaligned -> rc=0 result=0x03020100
.public lodb1 lodb1
.public lodbsign lodbsign
.public lodb2 lodb2
.public lodb3 lodb3
.public strb strb
.public cmps3 cmps3
.public cmps3rev cmps3rev
.public cmps2 cmps2
.public fill6 fill6
.public movs movs
.public lidx lidx
.public lidxb lidxb
.public loadi loadi
.public gap gap
.public loadfar loadfar
.public storneg storneg
.public lrefbad lrefbad
.public pushbad pushbad
.public incbad incbad
.public movsbad movsbad
.public fillbad fillbad
.public unaligned unaligned
.data
ff:      .cell 0xFFFFFFFF
abc:     .cell 0x00636261
abd:     .cell 0x00646261
fillbuf: .cell 0, 0
seq:     .cell 1, 2, 3, 4
strbbuf: .cell 0x12345678
farptr:  .cell 0x40000000
bytes:   .cell 0x03020100, 0x07060504
.code
        halt 0
lodb1:  proc
        const.pri ff
        lodb.i 1
        retn
lodbsign: proc
        const.pri ff
        lodb.i 1
        sign.pri
        retn
lodb2:  proc
        const.pri ff
        lodb.i 2
        retn
; a width other than 1, 2 or 4 leaves PRI as it was
lodb3:  proc
        const.pri ff
        lodb.i 3
        const.alt ff
        sub
        add.c 16777215
        retn
strb:   proc
        const.alt strbbuf
        const.pri 0x9934
        strb.i 1
        const.pri 0x56
        const.alt strbbuf+1
        strb.i 1
        const.pri strbbuf
        lodb.i 2
        retn
cmps3:  proc
        const.pri abc
        const.alt abd
        cmps 3
        retn
cmps3rev: proc
        const.pri abd
        const.alt abc
        cmps 3
        retn
cmps2:  proc
        const.pri abc
        const.alt abd
        cmps 2
        retn
fill6:  proc
        const.alt fillbuf
        const.pri 7
        fill 6
        retn
movs:   proc
        const.pri seq
        const.alt seq+4
        movs 12
        retn
lidx:   proc
        load.s.pri 12
        const.alt seq
        lidx
        retn
lidxb:  proc
        load.s.pri 12
        const.alt seq
        lidx.b 2
        retn
loadi:  proc
        load.s.pri 12
        load.i
        retn
; HEA lies in the gap between heap and stack
gap:    proc
        lctrl 2
        load.i
        retn
loadfar: proc
        load.pri 0x40000000
        retn
storneg: proc
        stor.pri -8
        retn
lrefbad: proc
        lref.pri farptr
        retn
pushbad: proc
        push 0x40000000
        retn
incbad: proc
        inc -4
        retn
movsbad: proc
        const.pri seq
        lctrl 3
        move.alt
        const.pri seq
        movs 8
        retn
fillbad: proc
        const.alt seq
        fill 0x7FFFFFF0
        retn
unaligned: proc
        const.pri bytes
        load.i
        const.pri bytes+1
        load.i
        const.alt 0x04030201
        eq
        jzer unaligned_bad
        const.pri bytes
        load.i
        retn
unaligned_bad: const.pri -1
        retn
