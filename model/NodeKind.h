#pragma once
#include <QtGlobal>
#include <QList>
#include <QMetaType>

// Id of a file-system node in the node registry; 0 is no node.
typedef quint32 NodeIndex;

// The kind of a node, kept in its properties under key 1 (kPropertyKind).
namespace NodeKind {
constexpr int kPropertyKind = 1;

// Kinds that pages accept as targets of the go-to box.
constexpr int kGoToTarget1 = 1;
constexpr int kGoToTarget9 = 9;
constexpr int kGoToTarget10 = 10;
// The computer: its children are the drives; its state always comes from its children.
constexpr int kComputer = 5;
// The network group: partially checked while any network path is checked.
constexpr int kNetworkGroup = 6;
// The NAS group: partially checked while any NAS path is checked; children keep insertion order.
constexpr int kNasGroup = 12;
// A NAS device and the entries below it.
constexpr int kNasDevice = 13;
constexpr int kNasShare = 15;
constexpr int kNasFolder = 16;
// A node that never shows a check box.
constexpr int kNoCheckBox = 14;
// Ancestors that change how pages build a node's path.
constexpr int kBrowserPathRoot = 17;
constexpr int kLabelledPathRoot = 18;
// Folders that refresh the views after every batch.
constexpr int kAlwaysRefresh = 19;
// Go-to targets that pages report as blocked.
constexpr int kGoToBlocked20 = 20;
constexpr int kGoToBlocked22 = 22;
// Containers whose enumeration end does not mark them finished.
constexpr int kNoInitFinish23 = 23;
constexpr int kNoInitFinish31 = 31;
// Folders that pages never sort.
constexpr int kNeverSort = 28;
// Folders whose children are always placed by insertion position.
constexpr int kInsertionOrder = 29;
// A node without a kind property.
constexpr int kNone = 34;
} // namespace NodeKind

// InfoKind of a CNodeInfo record.
namespace InfoKind {
constexpr int kDirectory = 0;
constexpr int kFile = 1;
constexpr int kDrive = 2;
constexpr int kSystem = 3;
constexpr int kUnset = 4;
} // namespace InfoKind

// userData value of a node above which check states are not propagated; such a node also
// appends every new child at the end of its rows.
constexpr quint64 kNoPropagateUserData = 0xFFFFFFFFull;

// Registers "NodeIndex" and "QList<NodeIndex>" (and the other types queued signals of the model
// carry); safe to call any number of times from any thread.
void RegisterNodeMetaTypes();
