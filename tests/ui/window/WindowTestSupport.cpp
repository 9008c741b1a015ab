#include "WindowTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

#include "ui/files/FileListEntries.h"
#include "ui/files/FileListModel.h"
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
    FForm = std::make_unique<TSnRForm>(FFormChooser, FFormOverlay);
    if (!FProgramQuitQuestion) {
      FForm->SetQuitQuestion([this](const QString& text) {
        FQuestions.push_back(text);
        return FAnswer;
      });
    }
    FForm->SetNotice([this](const QString& text) { FNotices.push_back(text); });
  }
  return *FForm;
}

void TWindowTest::ListFiles(const std::vector<std::string>& paths) {
  Form().FileWidgets().FileList->Append(paths);
}

void TWindowTest::TickAll() {
  TFileListModel& list = *Form().FileWidgets().FileList;
  for (int i = 0; i < list.Count(); ++i)
    list.SetTicked(i, true);
}

namespace {

std::string Colour(std::uint32_t colour) {
  char text[16];
  std::snprintf(text, sizeof text, "%06x", colour);
  return text;
}

}  // namespace

std::int32_t TRecordingOverlay::Clear() const {
  Calls.push_back("Clear");
  return 0;
}

std::int32_t TRecordingOverlay::SetCallBackWindowHandle(std::intptr_t window) const {
  CallBackWindow = window;
  return 0;
}

std::int32_t TRecordingOverlay::Point(std::int32_t x, std::int32_t y, std::int32_t pointType,
                                      std::uint32_t colour) const {
  Calls.push_back("Point " + std::to_string(x) + " " + std::to_string(y) + " " +
                  std::to_string(pointType) + " " + Colour(colour));
  return static_cast<std::int32_t>(Calls.size());
}

std::int32_t TRecordingOverlay::Line(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                     std::int32_t y2, std::uint32_t colour) const {
  Calls.push_back("Line " + std::to_string(x1) + " " + std::to_string(y1) + " " +
                  std::to_string(x2) + " " + std::to_string(y2) + " " + Colour(colour));
  return static_cast<std::int32_t>(Calls.size());
}

std::int32_t TRecordingOverlay::Rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                          std::int32_t bottom, std::uint32_t colour) const {
  Calls.push_back("Rectangle " + std::to_string(left) + " " + std::to_string(top) + " " +
                  std::to_string(right) + " " + std::to_string(bottom) + " " + Colour(colour));
  return static_cast<std::int32_t>(Calls.size());
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
