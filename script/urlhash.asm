; The toolbar checksum ("urlhash").
;
; urlhash(text, flag): text is the data address of an unpacked string (one
; cell per character, each taken as its low byte), flag the address of a cell
; holding 0 for the old variant and 1 for the current one.
;
; CH(bytes) is a 32-bit hash over 12-byte blocks of three little-endian words
; mixed after every block; the tail of 0 to 11 bytes is added with c taking
; its bytes from bit 8 up, after c has taken the total length. The old variant
; is CH(text); the current one takes x := CH(text),
; y := ((x / 7) << 2) | ((x % 13) & 7), and returns CH of the 80 bytes of the
; twenty cells y, y - 9, y - 18, ... (each little-endian).
;
; The text loop points FRM at the current block, so that each character is
; one ADDR.PRI away; the hash state lives in the data section.

.version 7
.compact on
; Room for a text of 8192 characters, its terminator and the flag cell, the
; 64-byte margin and the run's own few stack cells.
.memory 33792

.public urlhash urlhash

.data
ha:       .cell 0
hb:       .cell 0
hc:       .cell 0
start:    .cell 0          ; address of the text
flag:     .cell 0          ; address of the variant flag
frame:    .cell 0          ; FRM of urlhash while FRM walks the text
endaddr:  .cell 0          ; address of the text's terminating cell
cur:      .cell 0          ; next cell of the current variant's sequence
count:    .cell 0

.code
        halt 0             ; publics return to code offset 0

; mix(ha, hb, hc): each step is X -= Y; X -= Z; X ^= Z shifted.
mix:
        proc
        load.pri ha
        load.alt hb
        sub
        load.alt hc
        sub
        shr.c.alt 13
        xor
        stor.pri ha
        load.pri hb
        load.alt hc
        sub
        load.alt ha
        sub
        shl.c.alt 8
        xor
        stor.pri hb
        load.pri hc
        load.alt ha
        sub
        load.alt hb
        sub
        shr.c.alt 13
        xor
        stor.pri hc
        load.pri ha
        load.alt hb
        sub
        load.alt hc
        sub
        shr.c.alt 12
        xor
        stor.pri ha
        load.pri hb
        load.alt hc
        sub
        load.alt ha
        sub
        shl.c.alt 16
        xor
        stor.pri hb
        load.pri hc
        load.alt ha
        sub
        load.alt hb
        sub
        shr.c.alt 5
        xor
        stor.pri hc
        load.pri ha
        load.alt hb
        sub
        load.alt hc
        sub
        shr.c.alt 3
        xor
        stor.pri ha
        load.pri hb
        load.alt hc
        sub
        load.alt ha
        sub
        shl.c.alt 10
        xor
        stor.pri hb
        load.pri hc
        load.alt ha
        sub
        load.alt hb
        sub
        shr.c.alt 15
        xor
        stor.pri hc
        ret

; Sets the initial hash state.
init:
        proc
        const.pri 0x9E3779B9
        stor.pri ha
        stor.pri hb
        const.pri 0xE6359A60
        stor.pri hc
        ret

urlhash:
        proc
        load.s.pri 12
        stor.pri start
        load.s.pri 16
        stor.pri flag
        call init
        lctrl 5
        stor.pri frame
        load.pri start
        sctrl 5
block:
        addr.pri 0
        lodb.i 1
        jzer end0
        move.alt
        addr.pri 4
        lodb.i 1
        jzer end1
        shl.c.pri 8
        or
        move.alt
        addr.pri 8
        lodb.i 1
        jzer end2
        shl.c.pri 16
        or
        move.alt
        addr.pri 12
        lodb.i 1
        jzer end3
        shl.c.pri 24
        or
        move.alt
        load.pri ha
        add
        stor.pri ha
        addr.pri 16
        lodb.i 1
        jzer end4
        move.alt
        addr.pri 20
        lodb.i 1
        jzer end5
        shl.c.pri 8
        or
        move.alt
        addr.pri 24
        lodb.i 1
        jzer end6
        shl.c.pri 16
        or
        move.alt
        addr.pri 28
        lodb.i 1
        jzer end7
        shl.c.pri 24
        or
        move.alt
        load.pri hb
        add
        stor.pri hb
        addr.pri 32
        lodb.i 1
        jzer end8
        move.alt
        addr.pri 36
        lodb.i 1
        jzer end9
        shl.c.pri 8
        or
        move.alt
        addr.pri 40
        lodb.i 1
        jzer end10
        shl.c.pri 16
        or
        move.alt
        addr.pri 44
        lodb.i 1
        jzer end11
        shl.c.pri 24
        or
        move.alt
        load.pri hc
        add
        stor.pri hc
        call mix
        addr.pri 48
        sctrl 5
        jump block

end0:
        zero.alt
        addr.pri 0
        jump word0
end1:
        addr.pri 4
        jump word0
end2:
        addr.pri 8
        jump word0
end3:
        addr.pri 12
        jump word0
end4:
        zero.alt
        addr.pri 16
        jump word1
end5:
        addr.pri 20
        jump word1
end6:
        addr.pri 24
        jump word1
end7:
        addr.pri 28
        jump word1
end8:
        zero.alt
        addr.pri 32
        jump word2
end9:
        addr.pri 36
        jump word2
end10:
        addr.pri 40
        jump word2
end11:
        addr.pri 44
        jump word2
word0:
        stor.pri endaddr
        load.pri ha
        add
        stor.pri ha
        jump finish
word1:
        stor.pri endaddr
        load.pri hb
        add
        stor.pri hb
        jump finish
word2:
        stor.pri endaddr
        shl.c.alt 8
        load.pri hc
        add
        stor.pri hc
finish:
        load.pri endaddr
        load.alt start
        sub
        shr.c.pri 2
        load.alt hc
        add
        stor.pri hc
        call mix
        load.pri frame
        sctrl 5
        lref.pri flag
        jnz current
        load.pri hc
        retn

; y := ((x / 7) << 2) | ((x % 13) & 7), then CH of y, y - 9, ... y - 171.
current:
        load.pri hc
        const.alt 7
        udiv
        shl.c.pri 2
        stor.pri cur
        load.pri hc
        const.alt 13
        udiv
        const.pri 7
        and
        load.alt cur
        or
        stor.pri cur
        call init
        const.pri 6
        stor.pri count
cells:
        load.pri ha
        load.alt cur
        add
        stor.pri ha
        move.pri
        add.c -9
        stor.pri cur
        load.pri hb
        load.alt cur
        add
        stor.pri hb
        move.pri
        add.c -9
        stor.pri cur
        load.pri hc
        load.alt cur
        add
        stor.pri hc
        move.pri
        add.c -9
        stor.pri cur
        call mix
        load.pri count
        dec.pri
        stor.pri count
        jnz cells
        ; 8 bytes left: two whole cells into ha and hb; hc takes the length.
        load.pri ha
        load.alt cur
        add
        stor.pri ha
        move.pri
        add.c -9
        load.alt hb
        add
        stor.pri hb
        load.pri hc
        add.c 80
        stor.pri hc
        call mix
        load.pri hc
        retn
