// The window tests run on Qt's offscreen platform unless told otherwise.
#include "search/output/number_format.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform reports at every shown window that it cannot pass
// size hints on; that says nothing about the program.
void Messages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    defaultHandler(type, context, text);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(&Messages);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    quillo::SetNumberSeparators({",", "."});
    return RUN_ALL_TESTS();
}
