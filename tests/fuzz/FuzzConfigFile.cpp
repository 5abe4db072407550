// A ".cfg" file of any content through the configuration loader. The bytes are
// handed over as an anonymous in-memory file, so no disk is touched.
#include "config/Configwin.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = memfd_create("fuzz.cfg", 0);
    if (fd < 0)
        std::abort();
    for (size_t done = 0; done < size;) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0)
            std::abort();
        done += static_cast<size_t>(n);
    }
    TPyloxConfig config;
    std::memset(&config, 0x5a, sizeof(config));
    const TPyloxConfig before = config;
    const bool loaded = LoadConfigFile(QStringLiteral("/proc/self/fd/%1").arg(fd), config);
    close(fd);
    if (!loaded && !(config == before))
        std::abort(); // a refused file leaves the record untouched
    return 0;
}
