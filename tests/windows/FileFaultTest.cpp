// The files the windows save and open when the system lets them down: a full
// disk or the file size limit while saving (the old file stays whole, the
// message names the cause, nothing reports success), and a named pipe chosen
// where a file is expected (refused at once instead of blocking for good).
#include "windows/FormulaEdit.h"
#include "windows/Unit4_3D.h"
#include "windows/Unit7.h"
#include "tests/support/WidgetTest.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray OldContents = "old contents, kept whole\r\n";

enum class TSavePath { Formula, Settings3D, Report, Bmp };
enum class TFault { FullDisk, FileSizeLimit };

// Writes beyond the first bytes of any file fail (EFBIG) while it lives.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &Old);
    rlimit limit = Old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &Old);
    std::signal(SIGXFSZ, OldHandler);
  }

 private:
  rlimit Old{};
  void (*OldHandler)(int) = nullptr;
};

class SaveFailureTest : public TWidgetTest, public ::testing::WithParamInterface<std::tuple<TSavePath, TFault>> {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    if (Fault() == TFault::FullDisk) {
      // A small disk of its own; where the test may not mount, the size limit still runs.
      if (::mount("tmpfs", QFile::encodeName(Dir.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small disk here: " << std::strerror(errno);
      Mounted = true;
    }
    Plot = std::make_unique<TForm7>();
    Plot3D = std::make_unique<TForm4_3D>();
    Plot->Button1Click();  // a curve in the chart, so that the picture is not empty
    Scripted().Clear();
    Scripted().Home = Dir.path();

    QFile old(Dir.filePath(SavedName()));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    ASSERT_EQ(old.write(OldContents), OldContents.size());
    old.close();
    if (Mounted) {
      QFile filler(Dir.filePath(QStringLiteral("filler")));
      ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
      const QByteArray block(4096, 'f');
      while (filler.write(block) == block.size()) {
      }
    }
  }
  void TearDown() override {
    Plot.reset();
    Plot3D.reset();
    if (Mounted) ::umount2(QFile::encodeName(Dir.path()).constData(), MNT_DETACH);
    TWidgetTest::TearDown();
  }

  TSavePath SavePath() const { return std::get<0>(GetParam()); }
  TFault Fault() const { return std::get<1>(GetParam()); }
  QString SavedName() const {
    switch (SavePath()) {
      case TSavePath::Formula: return QStringLiteral("f.math");
      case TSavePath::Settings3D: return QStringLiteral("g.3dgr");
      case TSavePath::Report: return QStringLiteral("ex.odt");
      case TSavePath::Bmp: return QStringLiteral("p.bmp");
    }
    return {};
  }
  // The save, through the window's menu item, as the user starts it.
  void Save() {
    switch (SavePath()) {
      case TSavePath::Formula:
        Scripted().SaveFileAnswers.push_back(Dir.filePath(QStringLiteral("f")));
        Plot->FormulaMenu->N7->trigger();
        break;
      case TSavePath::Settings3D:
        Scripted().SaveFileAnswers.push_back(Dir.filePath(QStringLiteral("g")));
        Plot3D->N5->trigger();
        break;
      case TSavePath::Report: Plot->Word1->trigger(); break;
      case TSavePath::Bmp:
        Scripted().SaveFileAnswers.push_back(Dir.filePath(QStringLiteral("p")));
        Plot->BMP1->trigger();
        break;
    }
  }

  QTemporaryDir Dir;
  bool Mounted = false;
  std::unique_ptr<TForm7> Plot;
  std::unique_ptr<TForm4_3D> Plot3D;
};

TEST_P(SaveFailureTest, OldFileStaysWholeAndTheMessageSaysWhy) {
  if (Fault() == TFault::FileSizeLimit) {
    const TFileSizeLimit limit(4);
    Save();
  } else {
    Save();
  }
  const QString reason = qt_error_string(Fault() == TFault::FullDisk ? ENOSPC : EFBIG);
  std::vector<std::string> messages = Scripted().MessageLines();
  ASSERT_EQ(messages.size(), 1u) << "no failure reported";
  EXPECT_TRUE(messages[0].starts_with("error: ")) << messages[0];
  EXPECT_TRUE(QString::fromStdString(messages[0]).contains(Dir.filePath(SavedName()))) << messages[0];
  EXPECT_TRUE(QString::fromStdString(messages[0]).endsWith(QStringLiteral(": ") + reason)) << messages[0];
  for (const std::string& line : Scripted().Lines()) EXPECT_FALSE(line.starts_with("document:")) << line;

  QFile old(Dir.filePath(SavedName()));
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), OldContents);
  // Nothing half-written is left beside it.
  QStringList expected{SavedName()};
  if (Mounted) expected << QStringLiteral("filler");
  expected.sort();
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<TSavePath, TFault>>& info) {
  static const char* const paths[] = {"Formula", "Settings3D", "Report", "Bmp"};
  return std::string(paths[int(std::get<0>(info.param))]) +
         (std::get<1>(info.param) == TFault::FullDisk ? "OnFullDisk" : "PastSizeLimit");
}

INSTANTIATE_TEST_SUITE_P(EverySave, SaveFailureTest,
                         ::testing::Combine(::testing::Values(TSavePath::Formula, TSavePath::Settings3D,
                                                              TSavePath::Report, TSavePath::Bmp),
                                            ::testing::Values(TFault::FullDisk, TFault::FileSizeLimit)),
                         CaseName);

// A named pipe holding data, kept open by the test: opening it does not
// block, so a program that does not refuse it reads it. A read waiting for
// more is ended after a while by closing the pipe, so that such a program
// fails this test instead of hanging it.
class PipeTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    ASSERT_EQ(::mkfifo(QFile::encodeName(Pipe()).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(Pipe(), Link()));
    Writer = ::open(QFile::encodeName(Pipe()).constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(Writer, 0);
    Unblocker = std::jthread([this](std::stop_token stop) {
      std::mutex mutex;
      std::unique_lock lock(mutex);
      if (!std::condition_variable_any().wait_for(lock, stop, std::chrono::seconds(5), [] { return false; }))
        if (!stop.stop_requested()) ::close(Writer.exchange(-1));
    });
  }
  void TearDown() override {
    Unblocker.request_stop();
    Unblocker.join();
    if (const int fd = Writer.exchange(-1); fd >= 0) ::close(fd);
    TWidgetTest::TearDown();
  }
  void Fill(const QByteArray& bytes) const { ASSERT_EQ(::write(Writer, bytes.data(), bytes.size()), bytes.size()); }
  QString Pipe() const { return Dir.filePath(QStringLiteral("pipe")); }
  QString Link() const { return Dir.filePath(QStringLiteral("link")); }

  QTemporaryDir Dir;
  std::atomic<int> Writer = -1;
  std::jthread Unblocker;
};

TEST_F(PipeTest, FormulaFileThatIsAPipeIsRefused) {
  TForm7 plot;
  for (const QString& name : {Pipe(), Link()}) {
    Scripted().Clear();
    Fill("1+1\r\n");
    if (HasFatalFailure()) return;  // the pipe was closed: a read blocked on it
    plot.Edit1->setText(QStringLiteral("sin(x)"));
    Scripted().OpenFileAnswers.push_back(name);
    plot.FormulaMenu->N6->trigger();
    EXPECT_EQ(plot.Edit1->text(), QStringLiteral("sin(x)"));
    EXPECT_THAT(Scripted().MessageLines(),
                ::testing::ElementsAre("error: Не удалось открыть файл " + name.toStdString() +
                                       ": это именованный канал, а не файл"));
  }
}

TEST_F(PipeTest, SettingsFileThatIsAPipeIsRefusedAndThePlotRebuiltAsItWas) {
  TForm4_3D plot;
  const TPlotSettings before = plot.PlotSettings;
  TPlotSettings other = before;
  other.LineTotal = other.PointTotal = 7;
  const TPlotSettingsImage image = EncodePlotSettings(other);
  Fill(QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
  Scripted().Clear();
  Scripted().OpenFileAnswers.push_back(Link());
  plot.N4->trigger();
  EXPECT_EQ(plot.PlotSettings.LineTotal, before.LineTotal);
  EXPECT_EQ(plot.PlotLines.size(), size_t(before.LineTotal));
  EXPECT_THAT(Scripted().MessageLines(),
              ::testing::ElementsAre("error: Не удалось открыть файл «" + Link().toStdString() +
                                     "»: это именованный канал, а не файл"));
}

}  // namespace
