#include "CErrorTable.h"

#include <QtGlobal>

namespace {

struct Entry
{
    uint32_t number;
    const char* text;
};

#define NR_ERR(n, t) {n, QT_TRANSLATE_NOOP("CErrorDisplay", t)} // context: kTranslationContext

// 763 is known to the module but has no text of its own: the host's text is shown for it.
const Entry kTable[] = {
    NR_ERR(1, "Failed to read configuration files."),
    NR_ERR(2, "Failed to read configuration file location."),
    NR_ERR(3, "Failed to read configuration file information."),
    NR_ERR(4, "There is already a node involving this IP address."),
    NR_ERR(513, "Incorrect name."),
    NR_ERR(514, "Incorrect name."),
    NR_ERR(516, "Failed to transform character set."),
    NR_ERR(517, "Failed to get partition information."),
    NR_ERR(518, "Please enter username with administrator privilege."),
    NR_ERR(519, "Failed to read configuration files."),
    NR_ERR(520, "Disk type is not supported."),
    NR_ERR(521, "Failed to create tree control mode."),
    NR_ERR(522, "Failed to initialize disk information."),
    NR_ERR(523, "Incorrect group name."),
    NR_ERR(524, "Incorrect extension name."),
    NR_ERR(525, "Please select a backup task."),
    NR_ERR(526, "Please select file or folder to back up."),
    NR_ERR(527, "Please select file type to back up."),
    NR_ERR(528, "Cannot store the scheduled backup image file on CD/DVD."),
    NR_ERR(529, "Maximum 32 partitions can be supported."),
    NR_ERR(530, "Please set at least one time for backup plan."),
    NR_ERR(531, "Please set the right time for backup plan, the interval time should be less than the time "
                "difference between ending time and starting time."),
    NR_ERR(532, "Please set at least one day as the time for backup plan."),
    NR_ERR(533, "The group name exists."),
    NR_ERR(534, "The extension name exists."),
    NR_ERR(535, "Cannot select an empty Exchange group."),
    NR_ERR(537, "No Exchange node selected."),
    NR_ERR(538, "Could not find local outlook client."),
    NR_ERR(539, "No backup content selected."),
    NR_ERR(563, "Failed to get image file index."),
    NR_ERR(564, "The selected path is too long."),
    NR_ERR(565, "The selected image file does not support system recovery, please select the image file "
                "including operating system."),
    NR_ERR(613, "Failed to initialize disk information."),
    NR_ERR(663, "Interface pointer has failed."),
    NR_ERR(664, "GPT disk or partition does not support this operation."),
    NR_ERR(764, "Invalid path, please select another path."),
    NR_ERR(813, "You have cancelled."),
    NR_ERR(814, "Member not selected."),
    NR_ERR(815, "Invalid path."),
    NR_ERR(816, "Interface pointer has failed."),
    NR_ERR(817, "Local storage device error."),
    NR_ERR(818, "Unable to save plan or task on the storage device."),
    NR_ERR(819, "Backup type is unknown."),
    NR_ERR(820, "Please enter username with administrator privilege."),
    NR_ERR(821, "Interval time is invalid."),
    NR_ERR(822, "Please set at least one day as the time for backup plan."),
    NR_ERR(823, "Please set at least one day as the time for backup plan."),
    NR_ERR(824, "Please set at least one day as the time for backup plan."),
    NR_ERR(863, "Invalid path. Please select another path."),
};

#undef NR_ERR

} // namespace

const char* CErrorTable::Text(uint32_t errorNumber)
{
    for (const Entry& e : kTable)
        if (e.number == errorNumber)
            return e.text;
    return nullptr;
}
