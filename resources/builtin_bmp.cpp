// The bytes of resources/builtin.bmp, placed in read-only data by the assembler.
#include <cstdint>

asm(".pushsection .rodata\n"
    ".balign 16\n"
    ".globl rf_builtin_bmp_begin\n"
    ".hidden rf_builtin_bmp_begin\n"
    "rf_builtin_bmp_begin:\n"
    ".incbin \"" RF_BUILTIN_BMP "\"\n"
    ".globl rf_builtin_bmp_end\n"
    ".hidden rf_builtin_bmp_end\n"
    "rf_builtin_bmp_end:\n"
    ".popsection\n");
