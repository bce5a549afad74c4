// The files the windows save and open when the system lets them down. Every
// save path meets every fault: a named pipe or a folder at the name written,
// a full disk, a disk without free inodes, the file size limit, a read-only
// mount and a folder where nothing can be created. The old file stays whole
// (the pipe stays a pipe, the folder a folder), the message names the file
// and the cause, nothing reports success and nothing half-written is left
// beside it. A named pipe chosen to open is refused at once instead of
// blocking for good.
#include "windows/FormulaEdit.h"
#include "windows/Unit4_3D.h"
#include "windows/Unit7.h"
#include "windows/ValueTable.h"
#include "tests/support/WidgetTest.h"

#include <QAction>
#include <QPushButton>
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
#include <functional>
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

class SaveFailureTest;

// One way the program writes a file, started as the user starts it.
struct TSavePath {
  const char* Name;
  QString FileName;  // what it writes, in the test's folder
  bool Asks;         // an existing file of that name is replaced only after a question
  std::function<void(SaveFailureTest&)> Save;
};

enum class TFault { Pipe, Folder, FullDisk, NoInodes, FileSizeLimit, ReadOnlyMount, ClosedFolder };

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

// The process acts as a user with no right to the folder while it lives:
// root passes every permission check, so it acts as nobody meanwhile.
class TOutsider {
 public:
  TOutsider() {
    if (::geteuid() == 0) Switched = ::seteuid(65534) == 0;
  }
  ~TOutsider() {
    if (Switched) (void)::seteuid(0);
  }
  TOutsider(const TOutsider&) = delete;
  TOutsider& operator=(const TOutsider&) = delete;

 private:
  bool Switched = false;
};

const std::vector<TSavePath>& SavePaths();

class SaveFailureTest : public TWidgetTest, public ::testing::WithParamInterface<std::tuple<size_t, TFault>> {
 public:
  QString Path(const QString& name) const { return Dir.filePath(name); }

  std::unique_ptr<TForm7> Plot;
  std::unique_ptr<TForm4_3D> Plot3D;

 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    const QByteArray dir = QFile::encodeName(Dir.path());
    if (Fault() == TFault::FullDisk || Fault() == TFault::NoInodes || Fault() == TFault::ReadOnlyMount) {
      // A small disk of its own; where the test may not mount, the other faults still run.
      // Without free inodes: one for the folder, one for the old file.
      const char* options = Fault() == TFault::NoInodes ? "size=1m,nr_inodes=2" : "size=64k";
      if (::mount("tmpfs", dir.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options) != 0)
        GTEST_SKIP() << "cannot mount a small disk here: " << std::strerror(errno);
      Mounted = true;
    }
    Plot = std::make_unique<TForm7>();
    Plot3D = std::make_unique<TForm4_3D>();
    Plot->Button1Click();  // a curve in the chart, so that the picture is not empty
    Scripted().Clear();
    Scripted().Home = Dir.path();

    if (Fault() == TFault::Pipe) {
      ASSERT_EQ(::mkfifo(QFile::encodeName(Target()).constData(), 0666), 0);
    } else if (Fault() == TFault::Folder) {
      ASSERT_TRUE(QDir(Dir.path()).mkdir(path().FileName));
    } else {
      QFile old(Target());
      ASSERT_TRUE(old.open(QIODevice::WriteOnly));
      ASSERT_EQ(old.write(OldContents), OldContents.size());
      old.close();
      // The old file may be written; only the folder is closed.
      ASSERT_TRUE(old.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther |
                                     QFileDevice::WriteOther));
      if (path().Asks) Scripted().QuestionAnswers.push_back(true);
    }
    if (Fault() == TFault::FullDisk) {
      QFile filler(Path(QStringLiteral("filler")));
      ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
      const QByteArray block(4096, 'f');
      while (filler.write(block) == block.size()) {
      }
    }
    if (Fault() == TFault::ReadOnlyMount)
      ASSERT_EQ(::mount(nullptr, dir.constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr), 0)
          << std::strerror(errno);
    if (Fault() == TFault::ClosedFolder) ASSERT_EQ(::chmod(dir.constData(), 0555), 0);
  }
  void TearDown() override {
    Plot.reset();
    Plot3D.reset();
    const QByteArray dir = QFile::encodeName(Dir.path());
    if (Mounted) ::umount2(dir.constData(), MNT_DETACH);
    ::chmod(dir.constData(), 0700);
    TWidgetTest::TearDown();
  }

  const TSavePath& path() const { return SavePaths()[std::get<0>(GetParam())]; }
  TFault Fault() const { return std::get<1>(GetParam()); }
  QString Target() const { return Path(path().FileName); }

  // The save, under the fault.
  void Save() {
    switch (Fault()) {
      case TFault::FileSizeLimit: {
        const TFileSizeLimit limit(4);
        path().Save(*this);
        break;
      }
      case TFault::ClosedFolder: {
        const TOutsider outsider;
        path().Save(*this);
        break;
      }
      default: path().Save(*this);
    }
  }
  // Why the save failed, as the message gives it.
  QString Reason() const {
    switch (Fault()) {
      case TFault::Pipe: return QStringLiteral("это именованный канал, а не файл");
      case TFault::Folder: return QStringLiteral("это папка, а не файл");
      case TFault::FullDisk:
      case TFault::NoInodes: return qt_error_string(ENOSPC);
      case TFault::FileSizeLimit: return qt_error_string(EFBIG);
      case TFault::ReadOnlyMount: return qt_error_string(EROFS);
      case TFault::ClosedFolder: return qt_error_string(EACCES);
    }
    return {};
  }

  QTemporaryDir Dir;
  bool Mounted = false;
};

const std::vector<TSavePath>& SavePaths() {
  static const std::vector<TSavePath> paths = {
      {"Formula", QStringLiteral("f.math"), true,
       [](SaveFailureTest& t) {
         TestPlatform().SaveFileAnswers.push_back(t.Path(QStringLiteral("f")));
         t.Plot->FormulaMenu->N7->trigger();
       }},
      {"Settings3D", QStringLiteral("g.3dgr"), true,
       [](SaveFailureTest& t) {
         TestPlatform().SaveFileAnswers.push_back(t.Path(QStringLiteral("g")));
         t.Plot3D->N5->trigger();
       }},
      {"Bmp", QStringLiteral("p.bmp"), true,
       [](SaveFailureTest& t) {
         TestPlatform().SaveFileAnswers.push_back(t.Path(QStringLiteral("p")));
         t.Plot->BMP1->trigger();
       }},
      {"Report", QStringLiteral("ex.odt"), false, [](SaveFailureTest& t) { t.Plot->Word1->trigger(); }},
      {"ValuesCsv", QStringLiteral("t.csv"), true,
       [](SaveFailureTest& t) {
         t.Plot->ValueTable1->trigger();
         TestPlatform().SaveFileAnswers.push_back(t.Path(QStringLiteral("t")));
         t.Plot->ValueTable->Button1->click();
       }},
      {"Stl", QStringLiteral("s.stl"), true,
       [](SaveFailureTest& t) {
         TestPlatform().SaveFileAnswers.push_back(t.Path(QStringLiteral("s")));
         t.Plot3D->STL1->trigger();
       }},
      {"Obj", QStringLiteral("s.obj"), true,
       [](SaveFailureTest& t) {
         TestPlatform().SaveFileAnswers.push_back(t.Path(QStringLiteral("s")));
         t.Plot3D->OBJ1->trigger();
       }},
      {"PrintToFile", QStringLiteral("print.pdf"), false,
       [](SaveFailureTest& t) {
         TestPlatform().PrintAnswers.push_back(true);
         TestPlatform().PrintOutputFile = t.Path(QStringLiteral("print.pdf"));
         t.Plot->N12->trigger();
       }},
  };
  return paths;
}

TEST_P(SaveFailureTest, OldFileStaysWholeAndTheMessageSaysWhy) {
  Save();
  std::vector<std::string> messages = Scripted().MessageLines();
  ASSERT_FALSE(messages.empty()) << "no failure reported";
  const bool special = Fault() == TFault::Pipe || Fault() == TFault::Folder;
  if (path().Asks && !special) {
    EXPECT_EQ(messages.front(), "question: Файл " + Target().toStdString() + " уже существует. Заменить его?");
    messages.erase(messages.begin());
  }
  ASSERT_EQ(messages.size(), 1u);
  const QString message = QString::fromStdString(messages[0]);
  EXPECT_TRUE(message.startsWith(QStringLiteral("error: "))) << messages[0];
  EXPECT_TRUE(message.contains(Target())) << messages[0];
  EXPECT_TRUE(message.endsWith(QStringLiteral(": ") + Reason())) << messages[0];
  for (const std::string& line : Scripted().Lines()) EXPECT_FALSE(line.starts_with("document:")) << line;

  if (special) {
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(Target()).constData(), &status), 0);
    EXPECT_TRUE(Fault() == TFault::Pipe ? S_ISFIFO(status.st_mode) : S_ISDIR(status.st_mode));
  } else {
    QFile old(Target());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), OldContents);
  }
  // Nothing half-written is left beside it.
  QStringList expected;
  if (Fault() != TFault::Folder) expected << path().FileName;
  if (Fault() == TFault::FullDisk) expected << QStringLiteral("filler");
  expected.sort();
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name), expected);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<size_t, TFault>>& info) {
  static const char* const faults[] = {"ToAPipe",       "OntoAFolder",     "OnFullDisk",    "WithoutInodes",
                                       "PastSizeLimit", "OnReadOnlyMount", "InClosedFolder"};
  return std::string(SavePaths()[std::get<0>(info.param)].Name) + faults[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(EverySave, SaveFailureTest,
                         ::testing::Combine(::testing::Range(size_t(0), SavePaths().size()),
                                            ::testing::Values(TFault::Pipe, TFault::Folder, TFault::FullDisk,
                                                              TFault::NoInodes, TFault::FileSizeLimit,
                                                              TFault::ReadOnlyMount, TFault::ClosedFolder)),
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
