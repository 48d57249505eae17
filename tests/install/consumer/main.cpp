// Builds against the installed library only: the umbrella header and the
// CMake package must be enough for an editor to use the undo stack.
#include <vornhistory/vornhistory.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {
class Counter : public VornCommand
{
public:
    explicit Counter(int* value)
        : m_value(value)
    {
        setText(QStringLiteral("count"));
        SetCommandData(new EmptyCommandData);
    }

protected:
    void UndoExecute(VornCommandData*) override { --*m_value; }
    void RedoExecute(VornCommandData*) override { ++*m_value; }

private:
    int* m_value;
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    int value = 0;
    VornUndoStack stack;
    stack.setTemporaryFolder(QDir(folder.path()));
    stack.SetInitialMeta(QStringLiteral("Open"), QStringLiteral("open"));
    stack.push(new Counter(&value));
    stack.push(new Counter(&value));
    stack.undo();
    KXImage32 image(200, 100);
    std::printf("value=%d rows=%d tiles=%d\n", value, stack.count(), image.TileCount());
    return value == 1 && stack.count() == 3 && image.TileCount() == 2 ? 0 : 1;
}
