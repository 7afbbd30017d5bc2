// Leaks on purpose through Qt, as our own code might: a sanitizer run must report it whatever the
// suppressions say about the allocations Qt makes for itself.
#include <QGuiApplication>
#include <QImage>
#include <QStandardItem>

namespace {

__attribute__((noinline)) void leakThroughQt()
{
    new QImage(32, 32, QImage::Format_ARGB32); // its pixels are allocated inside Qt
    QStandardItem item(QStringLiteral("x"));
    (void)item.clone();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    leakThroughQt();
    return 0;
}
