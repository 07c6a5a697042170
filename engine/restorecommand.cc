#include "engine/restorecommand.h"

#include <filesystem>

namespace {

void Restore(const std::string& pth, Restoration& r, ConversionHost& host,
             RestorePlan& plan) {
  host.ClearProgress();
  WindowDisabled disabled(host);
  plan = PlanRestore(pth, r, host);
  if (!plan.Restores()) {
    host.ShowInfo(NothingToRestoreText(plan.name),
                  NothingToRestoreDetails(plan));
    return;
  }
  if (!host.AskOkCancel(ReadyToRestoreText(plan.name),
                        RestorePlanDetails(plan))) {
    return;
  }
  CheckRestore(plan, r, host);
  ExecuteRestore(plan, r, host);
  FlushWritten(r.fs, r.written);
  host.ShowInfo(RestoredText(plan.name), RestoredDetails(plan));
}

bool AnyRestores(const std::vector<BatchProject>& projects) {
  for (const BatchProject& p : projects) {
    if (p.plan.Restores()) return true;
  }
  return false;
}

uint64_t RestoreEach(std::vector<BatchProject>& projects, Restoration& r,
                     ConversionHost& host) {
  uint64_t counter = 0;
  for (BatchProject& p : projects) {
    if (!p.plan.Restores()) continue;
    EnterFolderOf(p.plan.pth, r.fs);
    host.ClearProgress();
    CheckRestore(p.plan, r, host);
    ExecuteRestore(p.plan, r, host);
    if (FilesRestored(p.plan) > 0) ++counter;
  }
  FlushWritten(r.fs, r.written);
  return counter;
}

std::optional<uint64_t> RestoreBatch(const FolderView& dir, FileListing& files,
                                     Restoration& r, ConversionHost& host,
                                     std::vector<BatchProject>& projects) {
  host.ClearProgress();
  WindowDisabled disabled(host);
  SubfolderWalk walk(dir, files, r.fs);
  while (walk.Next()) {
    projects.push_back({walk.Name(), PlanRestore(walk.Path(), r, host)});
  }
  if (!AnyRestores(projects)) {
    host.ShowInfo(NothingToRestoreInFolderText(dir.path),
                  BatchNothingDetails(projects));
    return std::nullopt;
  }
  if (!host.AskOkCancel(ReadyToRestoreFolderText(dir.path),
                        BatchPlanDetails(projects))) {
    return std::nullopt;
  }
  return RestoreEach(projects, r, host);
}

// What was renamed before a failure is on disk too when the error box
// shows; the failure itself is the one to report.
void FlushAfterFailure(Restoration& r) {
  try {
    FlushWritten(r.fs, r.written);
  } catch (const std::filesystem::filesystem_error&) {
  }
}

}  // namespace

void RestoreProject(const std::string& pth, const Tables& tables,
                    ConversionHost& host, FileSystem& fs, RestorePlan& plan) {
  Restoration r(tables, fs, false);
  try {
    Restore(pth, r, host, plan);
  } catch (const std::filesystem::filesystem_error&) {
    FlushAfterFailure(r);
    throw;
  }
}

std::optional<uint64_t> RestoreSubfolderProjects(
    const FolderView& dir, FileListing& files, const Tables& tables,
    ConversionHost& host, FileSystem& fs, std::vector<BatchProject>& projects) {
  Restoration r(tables, fs, true);
  try {
    return RestoreBatch(dir, files, r, host, projects);
  } catch (const std::filesystem::filesystem_error&) {
    FlushAfterFailure(r);
    throw;
  }
}

void RestoreChosenProject(CommandSession& session) {
  const std::optional<std::string> pth = ChooseProject(session);
  if (!pth) return;
  RestorePlan plan;
  try {
    EnterFolderOf(*pth, session.fs());
    RestoreProject(*pth, session.tables(), session, session.fs(), plan);
  } catch (const std::filesystem::filesystem_error& e) {
    session.ReportFailure(e, RestoreFailureDetails(plan));
  }
}

void RestoreBatchFolder(CommandSession& session) {
  std::vector<BatchProject> projects;
  try {
    const std::optional<uint64_t> counter = RestoreSubfolderProjects(
        session.window().Folder(), session.window().Files(), session.tables(),
        session, session.fs(), projects);
    if (counter) {
      session.Box(BoxKind::kDone, DoneRestoringText(*counter),
                  BatchRestoredDetails(projects));
    }
  } catch (const std::filesystem::filesystem_error& e) {
    session.ReportFailure(e, BatchFailureDetails(projects));
  }
}
