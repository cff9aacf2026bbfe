// Sequential text files addressed by channel number: open for reading or
// appending, read a line (CR LF or a lone CR ends it; a lone LF stays in the
// line), end-of-file test, write a line ended by CR LF, close. Bytes map one
// to one onto Windows-1252 characters.
#pragma once

#include <QString>

namespace vindrel {

class FileChannels {
public:
    FileChannels();
    ~FileChannels();
    FileChannels(const FileChannels&) = delete;
    FileChannels& operator=(const FileChannels&) = delete;
    // The operations are declared and implemented by the catalogue and
    // results work (see file_channels.cpp).
};

} // namespace vindrel
