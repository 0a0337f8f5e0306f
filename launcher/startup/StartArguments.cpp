#include "StartArguments.h"

#include <cstring>

StartRequest parseStartArguments(int argc, const char *const *argv)
{
    StartRequest request;
    if (argc < 2 || argv == nullptr || argv[1] == nullptr)
        return request;
    if (std::strcmp(argv[1], "NOINTRO") == 0) {
        request.mode = StartRequest::Mode::SkipIntro;
        return request;
    }
    request.mode = StartRequest::Mode::Project;
    request.projectPath = QString::fromLocal8Bit(argv[1]);
    return request;
}
