#pragma once

namespace zarvel {

// The release this build belongs to, as "MAJOR.MINOR.PATCH" (from the build's
// project version). Both programs print it for --version and in their help, and
// the About box shows it, so a bug report names the exact build.
const char* ZarvelVersion();

}  // namespace zarvel
