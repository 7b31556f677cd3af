; Jumps through registers, relative jumps, stack operations and limits.
;! run pushr -> rc=0 result=27
;! run swap -> rc=0 result=12
;! run jrel -> rc=0 result=5
;! run callpri -> rc=0 result=42
;! run jumppri -> rc=0 result=8
;! run sctrl -> rc=0 result=8
;! run pushaddr -> rc=0 result=1
;! run retout -> rc=5 result=untouched
;! run stackover -> rc=7
;! run stackunder -> rc=3
;! run heapover -> rc=3
;! run heapunder -> rc=8
;! run recurse -> rc=3
;! run heapuse -> rc=0 result=20
;! run lctrl -> rc=0 result=1
;! run xchg -> rc=0 result=-3
;! run incdec -> rc=0 result=11
;! run line -> rc=0 result=4
.public pushr pushr
.public swap swap
.public jrel jrel
.public callpri callpri
.public jumppri jumppri
.public sctrl sctrl
.public pushaddr pushaddr
.public retout retout
.public stackover stackover
.public stackunder stackunder
.public heapover heapover
.public heapunder heapunder
.public recurse recurse
.public heapuse heapuse
.public lctrl lctrl
.public xchg xchg
.public incdec incdec
.public line line
.data
counter: .cell 10
.code
        halt 0
pushr:  proc
        const.pri 9
        push.r 3
        pop.pri
        pop.alt
        add
        pop.alt
        add
        retn
swap:   proc
        push.c 5
        const.pri 7
        swap.pri
        pop.alt
        add
        retn
jrel:   proc
        const.pri 5
        jrel 8
        const.pri 6
        retn
callpri: proc
        push.c 0
        const.pri fortytwo
        call.pri
        stack 4
        retn
fortytwo: proc
        const.pri 42
        ret
jumppri: proc
        const.pri eight
        jump.pri
        const.pri 1
        retn
eight:  const.pri 8
        retn
sctrl:  proc
        const.pri eight
        sctrl 6
        const.pri 2
        retn
pushaddr: proc
        pushaddr -4
        lctrl 5
        add.c -4
        move.alt
        pop.pri
        eq
        retn
retout: proc
        push.c 99999
        push.c 0
        ret
stackover: proc
        stack 0x10000
        retn
stackunder: proc
        stack -0x100000
        retn
heapover: proc
        heap 0x100000
        retn
heapunder: proc
        heap -4
        retn
recurse: proc
        call recurse
heapuse: proc
        heap 20
        lctrl 2
        sub
        heap -20
        retn
lctrl:  proc
        lctrl 6
here:   const.alt here
        eq
        retn
xchg:   proc
        const.pri 3
        const.alt -3
        xchg
        retn
incdec: proc
        inc counter
        inc counter
        dec counter
        load.pri counter
        retn
line:   proc
        line 7, 2
        const.pri 4
        srange 1, 2
        symtag 3
        file "urlhash.p"
        symbol "x"
        nop
        retn
