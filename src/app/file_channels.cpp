#include "app/file_channels.h"

namespace vindrel {

FileChannels::FileChannels() = default;
FileChannels::~FileChannels() = default;

} // namespace vindrel
