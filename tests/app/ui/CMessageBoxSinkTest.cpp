#include "app/ui/CMessageBoxSink.h"

#include "fakes/ModalWatcher.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace harkwell {
namespace {

struct SeenBox {
    QString text;
    QMessageBox::StandardButtons buttons;
    bool staysOnTop = false;
};

SeenBox ShowAndClose(CMessageBoxSink& sink, std::string_view text, MessageKind kind, int& result)
{
    SeenBox seen;
    testing::AnswerNextModal<QMessageBox>([&seen](QMessageBox* box) {
        seen = {box->text(), box->standardButtons(), box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)};
        box->button(QMessageBox::Ok)->click();
    });
    result = sink.Show(text, kind);
    return seen;
}

TEST(CMessageBoxSink, ShowsTheExactTextWithOkOnly)
{
    CMessageBoxSink sink;
    int result = 0;
    const SeenBox plain = ShowAndClose(sink, "ファイル名がありません。", MessageKind::Plain, result);
    EXPECT_EQ(result, kMessageOk);
    EXPECT_EQ(plain.text, QStringLiteral("ファイル名がありません。"));
    EXPECT_EQ(plain.buttons, QMessageBox::Ok);
    EXPECT_FALSE(plain.staysOnTop);

    const SeenBox modal = ShowAndClose(sink, "GENE01000007 Cant open file!", MessageKind::SystemModal, result);
    EXPECT_EQ(modal.text, QStringLiteral("GENE01000007 Cant open file!"));
    EXPECT_EQ(modal.buttons, QMessageBox::Ok);
    EXPECT_TRUE(modal.staysOnTop);
}

TEST(CMessageBoxSink, CarriesMessagesFromOtherThreadsToTheInterfaceThread)
{
    CMessageBoxSink sink;
    QString seen;
    testing::AnswerNextModal<QMessageBox>([&seen](QMessageBox* box) {
        seen = box->text();
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        box->button(QMessageBox::Ok)->click();
    });
    int result = 0;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        result = sink.Show("from a worker", MessageKind::Plain);
        done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(result, kMessageOk);
    EXPECT_EQ(seen, QStringLiteral("from a worker"));
}

}  // namespace
}  // namespace harkwell
