#include "WindowTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QThread>

#include "ui/files/FileListEntries.h"
#include "ui/files/QtWindowThreadDispatcher.h"

namespace fendrel::test {

void TWindowTest::SetUp() {
  TLocationSources sources;
  sources.ProgramFile = FDir / "bin/fendrel";
  const std::string config = FDir / "config";
  sources.Environment = [config](const std::string& name) -> std::optional<std::string> {
    if (name == "XDG_CONFIG_HOME") return config;
    return std::nullopt;
  };
  FLocations = ComputeLocations(sources);
  TZQSnRMainForm::InitLanguageUnit(FLocations);
}

void TWindowTest::TearDown() {
  FForm.reset();
}

TSnRForm& TWindowTest::Form() {
  if (!FForm) {
    FForm = std::make_unique<TSnRForm>();
    FForm->SetQuitQuestion([this](const QString& text) {
      FQuestions.push_back(text);
      return FAnswer;
    });
    FForm->SetNotice([this](const QString& text) { FNotices.push_back(text); });
  }
  return *FForm;
}

void TWindowTest::ListFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths)
    AddFileEntry(*Form().FileWidgets().FileCheckListBox, path);
}

void TWindowTest::TickAll() {
  QListWidget& list = *Form().FileWidgets().FileCheckListBox;
  for (int i = 0; i < list.count(); ++i)
    list.item(i)->setCheckState(Qt::Checked);
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeout.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

}  // namespace fendrel::test

int main(int argc, char** argv) {
  // Test discovery runs the program without the tests' environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The scan's hand-overs are served by this thread, as in the program.
  fendrel::TQtWindowThreadDispatcher dispatcher;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
