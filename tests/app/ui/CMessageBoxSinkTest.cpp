#include "app/ui/CMessageBoxSink.h"

#include "fakes/ModalWatcher.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <string>
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

// Answers every message box that opens, recording its text, the thread it
// was shown on and how many boxes were open at once.
class BoxAnswerer {
public:
    BoxAnswerer()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            int open = 0;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (qobject_cast<QMessageBox*>(widget) != nullptr && widget->isVisible()) ++open;
            mostOpen = std::max(mostOpen, open);
            onInterfaceThread = onInterfaceThread && QThread::currentThread() == qApp->thread();
            texts.push_back(box->text());
            box->button(QMessageBox::Ok)->click();
        });
        timer_.start();
    }

    // Runs the event loop until `count` boxes have been answered.
    void WaitFor(qsizetype count)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (texts.size() < count && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    QStringList texts;
    int mostOpen = 0;
    bool onInterfaceThread = true;

private:
    QTimer timer_;
};

// Shows a message from a thread of its own while this thread, the interface
// thread, runs no event loop, as the wave player's owner does when it joins
// the player's worker. True when Show returned OK meanwhile.
bool ShowFromAnotherThread(CMessageBoxSink& sink, const std::string& text, MessageKind kind)
{
    std::promise<int> result;
    auto returned = result.get_future();
    std::thread worker([&] { result.set_value(sink.Show(text, kind)); });
    const bool inTime = returned.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    if (!inTime) {
        BoxAnswerer answerer;  // a worker that waits for its box is let go
        answerer.WaitFor(1);
    }
    worker.join();
    return inTime && returned.get() == kMessageOk;
}

TEST(CMessageBoxSink, AWorkerGetsOkAtOnceAndItsMessageIsShownWhenTheLoopRuns)
{
    CMessageBoxSink sink;
    ASSERT_TRUE(ShowFromAnotherThread(sink, "from a worker", MessageKind::SystemModal))
        << "Show waited for the interface thread";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "nothing is shown before the loop runs";

    BoxAnswerer answerer;
    answerer.WaitFor(1);
    EXPECT_EQ(answerer.texts, QStringList{QStringLiteral("from a worker")});
    EXPECT_TRUE(answerer.onInterfaceThread);
}

TEST(CMessageBoxSink, MessagesOfOtherThreadsAreShownInOrderOneBoxAtATime)
{
    CMessageBoxSink sink;
    ASSERT_TRUE(ShowFromAnotherThread(sink, "one", MessageKind::Plain));
    ASSERT_TRUE(ShowFromAnotherThread(sink, "two", MessageKind::SystemModal));
    ASSERT_TRUE(ShowFromAnotherThread(sink, "three", MessageKind::Plain));

    BoxAnswerer answerer;
    answerer.WaitFor(3);
    QCoreApplication::processEvents();
    EXPECT_EQ(answerer.texts, (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    EXPECT_EQ(answerer.mostOpen, 1);
}

TEST(CMessageBoxSink, AQueuedMessageOutlivesTheSinkThatTookIt)
{
    auto sink = std::make_unique<CMessageBoxSink>();
    ASSERT_TRUE(ShowFromAnotherThread(*sink, "after the sink", MessageKind::Plain));
    sink.reset();

    BoxAnswerer answerer;
    answerer.WaitFor(1);
    EXPECT_EQ(answerer.texts, QStringList{QStringLiteral("after the sink")});
}

}  // namespace
}  // namespace harkwell
