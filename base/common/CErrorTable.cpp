#include "CErrorTable.h"

#include <QtGlobal>

namespace {

struct Entry
{
    uint32_t number;
    const char* text;
};

// 763 is known to the module but has no text of its own: the host's text is shown for it.
const Entry kTable[] = {
    {1, QT_TRANSLATE_NOOP("CErrorDisplay", "Failed to read configuration files.")},
    {2, QT_TRANSLATE_NOOP("CErrorDisplay", "Failed to read configuration file location.")},
    {3, QT_TRANSLATE_NOOP("CErrorDisplay", "Failed to read configuration file information.")},
    {4, QT_TRANSLATE_NOOP("CErrorDisplay", "There is already a node involving this IP address.")},
    {513, QT_TRANSLATE_NOOP("CErrorDisplay", "Incorrect name.")},
    {514, QT_TRANSLATE_NOOP("CErrorDisplay", "Incorrect name.")},
    {516, QT_TRANSLATE_NOOP("CErrorDisplay", "Failed to transform character set.")},
    {517, QT_TRANSLATE_NOOP("CErrorDisplay", "Failed to get partition information.")},
    {518, QT_TRANSLATE_NOOP("CErrorDisplay", "Please enter username with administrator privilege.")},
    {519, QT_TRANSLATE_NOOP("CErrorDisplay", "Failed to read configuration files.")},
    {520, QT_TRANSLATE_NOOP("CErrorDisplay", "Disk type is not supported.")},
    {521, QT_TRANSLATE_NOOP("CErrorDisplay", "Failed to create tree control mode.")},
    {522, QT_TRANSLATE_NOOP("CErrorDisplay", "Failed to initialize disk information.")},
    {523, QT_TRANSLATE_NOOP("CErrorDisplay", "Incorrect group name.")},
    {524, QT_TRANSLATE_NOOP("CErrorDisplay", "Incorrect extension name.")},
    {525, QT_TRANSLATE_NOOP("CErrorDisplay", "Please select a backup task.")},
    {526, QT_TRANSLATE_NOOP("CErrorDisplay", "Please select file or folder to back up.")},
    {527, QT_TRANSLATE_NOOP("CErrorDisplay", "Please select file type to back up.")},
    {528, QT_TRANSLATE_NOOP("CErrorDisplay", "Cannot store the scheduled backup image file on CD/DVD.")},
    {529, QT_TRANSLATE_NOOP("CErrorDisplay", "Maximum 32 partitions can be supported.")},
    {530, QT_TRANSLATE_NOOP("CErrorDisplay", "Please set at least one time for backup plan.")},
    {531, QT_TRANSLATE_NOOP("CErrorDisplay", "Please set the right time for backup plan, the interval time should be less than the time "
        "difference between ending time and starting time.")},
    {532, QT_TRANSLATE_NOOP("CErrorDisplay", "Please set at least one day as the time for backup plan.")},
    {533, QT_TRANSLATE_NOOP("CErrorDisplay", "The group name exists.")},
    {534, QT_TRANSLATE_NOOP("CErrorDisplay", "The extension name exists.")},
    {535, QT_TRANSLATE_NOOP("CErrorDisplay", "Cannot select an empty Exchange group.")},
    {537, QT_TRANSLATE_NOOP("CErrorDisplay", "No Exchange node selected.")},
    {538, QT_TRANSLATE_NOOP("CErrorDisplay", "Could not find local outlook client.")},
    {539, QT_TRANSLATE_NOOP("CErrorDisplay", "No backup content selected.")},
    {563, QT_TRANSLATE_NOOP("CErrorDisplay", "Failed to get image file index.")},
    {564, QT_TRANSLATE_NOOP("CErrorDisplay", "The selected path is too long.")},
    {565, QT_TRANSLATE_NOOP("CErrorDisplay", "The selected image file does not support system recovery, please select the image file "
        "including operating system.")},
    {613, QT_TRANSLATE_NOOP("CErrorDisplay", "Failed to initialize disk information.")},
    {663, QT_TRANSLATE_NOOP("CErrorDisplay", "Interface pointer has failed.")},
    {664, QT_TRANSLATE_NOOP("CErrorDisplay", "GPT disk or partition does not support this operation.")},
    {764, QT_TRANSLATE_NOOP("CErrorDisplay", "Invalid path, please select another path.")},
    {813, QT_TRANSLATE_NOOP("CErrorDisplay", "You have cancelled.")},
    {814, QT_TRANSLATE_NOOP("CErrorDisplay", "Member not selected.")},
    {815, QT_TRANSLATE_NOOP("CErrorDisplay", "Invalid path.")},
    {816, QT_TRANSLATE_NOOP("CErrorDisplay", "Interface pointer has failed.")},
    {817, QT_TRANSLATE_NOOP("CErrorDisplay", "Local storage device error.")},
    {818, QT_TRANSLATE_NOOP("CErrorDisplay", "Unable to save plan or task on the storage device.")},
    {819, QT_TRANSLATE_NOOP("CErrorDisplay", "Backup type is unknown.")},
    {820, QT_TRANSLATE_NOOP("CErrorDisplay", "Please enter username with administrator privilege.")},
    {821, QT_TRANSLATE_NOOP("CErrorDisplay", "Interval time is invalid.")},
    {822, QT_TRANSLATE_NOOP("CErrorDisplay", "Please set at least one day as the time for backup plan.")},
    {823, QT_TRANSLATE_NOOP("CErrorDisplay", "Please set at least one day as the time for backup plan.")},
    {824, QT_TRANSLATE_NOOP("CErrorDisplay", "Please set at least one day as the time for backup plan.")},
    {863, QT_TRANSLATE_NOOP("CErrorDisplay", "Invalid path. Please select another path.")},
};

} // namespace

const char* CErrorTable::Text(uint32_t errorNumber)
{
    for (const Entry& e : kTable)
        if (e.number == errorNumber)
            return e.text;
    return nullptr;
}
