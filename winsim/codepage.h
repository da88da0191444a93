// Code page 932 helpers of the simulated machine, for its areas and for tests.
#ifndef WINSIM_CODEPAGE_H
#define WINSIM_CODEPAGE_H

#include <string>

namespace sim {

// Folds ASCII letters to upper case, only outside double-byte characters: the
// trail byte of ア is 0x41 and that of ヂ is 0x61, which a byte-wise fold would
// make equal.
std::string FoldCase(const std::string &ansi);
// Code page 932 to UTF-16 and back; characters that do not convert become '?'.
std::u16string ToWide(const std::string &ansi);
std::string ToAnsi(const std::u16string &wide);
// Code page 932 to UTF-8, for readable test messages.
std::string ToUtf8(const std::string &ansi);

}  // namespace sim

#endif
