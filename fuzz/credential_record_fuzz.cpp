// libFuzzer entry for the credential-record reader: any bytes must be split and read without a
// fault, and a record that reads must write back to the same bytes.
#include "CCredentialRecord.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const QList<QByteArray> records = CCredentialRecord::Split(bytes, size);
    if (static_cast<size_t>(records.size()) != size / CCredentialRecord::kSize)
        std::abort();
    for (const QByteArray& raw : records) {
        (void)CCredentialRecord::ShareOf(raw.constData());
        CCredentialRecord record;
        if (!CCredentialRecord::Decode(raw.constData(), static_cast<size_t>(raw.size()), &record))
            continue;
        CCredentialRecord reread;
        const QByteArray written = record.Encode();
        if (!CCredentialRecord::Decode(written.constData(), static_cast<size_t>(written.size()), &reread) || !(reread == record))
            std::abort();
    }
    return 0;
}
