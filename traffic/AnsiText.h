// Widening of the host's narrow texts. The host's texts are ANSI, code page
// 1252 on the systems it runs on, so bytes 0x80-0x9F stand for typographic
// characters (0x80 is the euro sign) and 0xA0-0xFF for Latin-1 letters.
#pragma once

namespace quillon {

// The UTF-16 unit for one code page 1252 byte. The five bytes that code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their own value, as
// Windows' own conversion does.
char16_t widenAnsiCharacter(char character);

}  // namespace quillon
