// Child process of the kill and full-disk tests: says it is ready by one
// byte on standard output, then runs one page operation; its failure goes to
// standard error. With LIMIT, no file may grow beyond LIMIT bytes, as if the
// disk were full there.
// Usage: palvenor-pageworker WORK BOOK SOURCE COPY [LIMIT]

#include "PageWork.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 5 && argc != 6)
        return 2;
    if (argc == 6) {
        // Writes beyond the limit then fail with EFBIG instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = rlim_t(std::strtoull(argv[5], nullptr, 10));
        const rlimit fileSize{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
            return 2;
    }
    const QString book = QString::fromLocal8Bit(argv[2]);
    const QString source = QString::fromLocal8Bit(argv[3]);
    const QString copy = QString::fromLocal8Bit(argv[4]);
    if (::write(STDOUT_FILENO, "r", 1) != 1)
        return 2;
    const palvenor::imaging::ImagingError error =
        palvenor::imaging::test::runPageWork(argv[1], book, source, copy);
    if (!error.ok())
        std::fprintf(stderr, "%s\n", error.description.toLocal8Bit().constData());
    return error.ok() ? 0 : 1;
}
