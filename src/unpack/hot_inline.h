// For the few small steps of the decoder's hot loops: inlined even where the
// compiler's size limits would stop it, since a call there would push the
// loops' state out of registers.
#pragma once

#define HotInline inline __attribute__((always_inline))
