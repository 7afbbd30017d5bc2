// libFuzzer entry for the shell-pipe message reader: any bytes must be refused or read without a
// fault, and a path that is read must write back to the same message.
#include "CShellPipeMessage.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    CShellPipeMessage::Header header;
    if (CShellPipeMessage::ParseHeader(bytes, size, &header)) {
        (void)CShellPipeMessage::IsAcceptable(header, CShellPipeMessage::kMinPathMessageSize);
    }
    uint32_t count = 0;
    if (CShellPipeMessage::ParseCount(bytes, size, &count)) {
        // Bytes 6 and 7 are not read; everything else must come back as it was.
        const QByteArray input(bytes, static_cast<int>(size));
        const QByteArray written = CShellPipeMessage::MakeCount(count);
        if (count == 0 || written.left(6) != input.left(6) || written.mid(8) != input.mid(8))
            std::abort();
    }
    QString path;
    if (CShellPipeMessage::ParsePath(bytes, size, &path) && !path.isEmpty()) {
        const QByteArray written = CShellPipeMessage::MakePath(path);
        QString reread;
        if (written.isEmpty() || !CShellPipeMessage::ParsePath(written.constData(), static_cast<size_t>(written.size()), &reread) || reread != path)
            std::abort();
    }
    return 0;
}
