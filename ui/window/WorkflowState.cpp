#include "WorkflowState.h"

#include "i18n/LanguageFileTexts.h"

namespace fendrel {
namespace {

// The help line of each step, in the order of TWorkflowStep.
constexpr TTextId kStepTexts[] = {
    TTextId::StepPathMissing,      TTextId::StepMaskMissing,      TTextId::StepNoFilesFound,
    TTextId::StepNoFileTicked,     TTextId::StepOldStringMissing, TTextId::StepPatternInvalid,
    TTextId::StepNewStringMissing, TTextId::StepReadyToStart,
};

}  // namespace

TWorkflowState DeriveWorkflowState(const TWorkflowInputs& in) {
  TWorkflowState state;
  // A value never set (-1) and an empty one alike leave the string undefined.
  const bool oldEmpty = in.OldStringSize <= 0;
  const bool newEmpty = in.NewStringSize <= 0;
  const bool listEmpty = in.FileCount == 0;
  state.StartEnabled = in.ScanFinished && in.CheckedCount > 0 && !oldEmpty && !in.PatternInvalid;

  auto add = [&state](bool condition, TWorkflowStep step) {
    if (condition) state.OpenSteps.push_back(step);
  };
  add(in.PathEmpty && listEmpty, TWorkflowStep::PathMissing);
  add(in.MaskEmpty && listEmpty, TWorkflowStep::MaskMissing);
  add(!in.PathEmpty && !in.MaskEmpty && listEmpty && in.ScanFinished, TWorkflowStep::NoFilesFound);
  add(!listEmpty && in.CheckedCount == 0, TWorkflowStep::NoFileTicked);
  add(oldEmpty, TWorkflowStep::OldStringMissing);
  add(!oldEmpty && in.PatternInvalid, TWorkflowStep::PatternInvalid);
  add(newEmpty, TWorkflowStep::NewStringMissing);
  add(state.StartEnabled, TWorkflowStep::ReadyToStart);
  return state;
}

std::string WorkflowStepText(TWorkflowStep step, int32_t language) {
  return std::string(CatalogueText(kStepTexts[static_cast<int>(step) - 1], language));
}

}  // namespace fendrel
