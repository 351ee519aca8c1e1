#pragma once

#include <QString>

#include <cpl_error.h>

namespace velmora::viewer {

// Keeps GDAL's own error printing off the console while we read (on this
// thread: GDAL's handler stack is per thread); lastMessage() hands its last
// message to our error text instead.
class QuietGdalErrors
{
public:
    QuietGdalErrors()
    {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdalErrors() { CPLPopErrorHandler(); }
    QuietGdalErrors(const QuietGdalErrors&) = delete;
    QuietGdalErrors& operator=(const QuietGdalErrors&) = delete;

    static QString lastMessage()
    {
        const char* message = CPLGetLastErrorMsg();
        return message && *message ? QString::fromUtf8(message) : QString();
    }
};

} // namespace velmora::viewer
