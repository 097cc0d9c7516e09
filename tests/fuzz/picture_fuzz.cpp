#include "media/picture_file.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Qt's warnings about broken images would drown the fuzzer's own output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

// libFuzzer hands over a buffer exactly `size` long, so a read past it is caught.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const media::DecodedPicture picture
        = media::decode_picture(std::string_view(reinterpret_cast<const char*>(data), size));
    // A picture or a reason, never both and never neither.
    if (picture.image.isNull() == picture.failure.isEmpty())
        std::abort();
    return 0;
}
