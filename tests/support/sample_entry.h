#pragma once

namespace lexivoce::test {

// The entry of "abroad", the example of a complete dictionary entry, as its
// bytes in a dictionary file.
inline constexpr char kSampleEntry[] =
    "@abroad /ə'brɔ:d/\r\n"
    "*phó từ\r\n"
    "-ở nước ngoài, ra nước ngoài\r\n"
    "=to live abroad+ sống ở nước ngoài\r\n"
    "=to go abroad+ đi ra nước ngoài\r\n"
    "!from abroad\r\n"
    "-từ nước ngoài\r\n"
    "=these machines were brought from abroad+những chiếc máy này mang từ nước ngoài vào\r\n";

} // namespace lexivoce::test
