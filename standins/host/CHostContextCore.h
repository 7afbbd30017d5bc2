#pragma once
#include "CHostTaskData.h"
#include "IUICommon.h"

#include <memory>

// Common, virtual base of every piece of a host context: the IUICommon the module holds and the
// shared task record every host interface of the context reads and fills.
class CHostContextCore : public IUICommon
{
public:
    // Only the most derived context passes the record; the pieces use the default.
    CHostContextCore();
    explicit CHostContextCore(std::shared_ptr<CHostTaskData> data);
    ~CHostContextCore() override;

    CHostTaskData& Data() { return *m_data; }
    std::shared_ptr<CHostTaskData> SharedData() const { return m_data; }

protected:
    void NoteCall(const QString& call);

    // The host side of the 0x24C protocol: with no buffer or one smaller than `bytes`, *size
    // becomes the needed size and the answer is 0x24C; otherwise the bytes are copied. A missing
    // size pointer answers `badArg`; nothing to serve answers `none` with *size = 0.
    static uint32_t ServeBytes(const QByteArray& bytes, void* buffer, uint32_t* size, uint32_t badArg,
                               uint32_t none);
    // Copies `count` records of `recordSize` bytes; false for a null pointer with a count, or for
    // more records than any task holds.
    static bool CopyRecords(const void* records, uint32_t count, uint32_t recordSize, QByteArray* out);
    // The image path: with no buffer *length becomes its length in characters; with a buffer,
    // *length is the buffer's capacity in characters, terminator included. A capacity too small
    // answers 0x24C with the length. No path configured answers `none`.
    static uint32_t ServeText(const QString& text, char16_t* buffer, uint32_t* length, uint32_t badArg,
                              uint32_t none);
    // A zero-terminated UTF-16 text of at most `maxChars` characters; the scan never goes further.
    static QString BoundedText(const char16_t* text, int maxChars);

private:
    std::shared_ptr<CHostTaskData> m_data;
};
