// What `torvex status` reports about a tray tree: the uploads waiting, what
// the next distribution pass would do with each received archive, the
// download control file, the message counter and the leftovers of
// interrupted work. Gathered by reading only; printed as text or JSON.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace torvex::cli {

struct UploadItem {
  std::string archive, record;  // bare names; one of them empty when it lacks its partner
  std::string source, time;     // the record's two lines
  std::string problem;          // empty for an archive waiting with its record
  bool partnerPending = false;  // the missing partner is published by the pending plan
};

struct ReceivedItem {
  std::string name;
  bool deliver = false;
  std::string reason;       // for an archive that stays
  std::string detail;       // what the reason is about (a path, an error level)
  std::string destination;  // for a delivery: the final path
  std::string disposition;  // new, replace, append or numbered
  bool later = false;       // not taken by the next pass, but by one after it
  bool pending = false;     // a delivery of an interrupted call, which the next call finishes
  bool recorded = false;    // pending, and its record already stands in the control file
};

struct ControlFileState {
  std::string path;
  bool present = false;
  bool readable = true;      // present but unreadable: nothing is known of its records
  long records = 0;          // whole records
  bool lastRecordWhole = true;
  std::vector<std::string> archives;  // line 3 of each whole record
};

struct CounterState {
  std::string path;
  bool present = false;
  bool readable = false;  // four bytes or more
  int32_t value = 0;      // the last number issued
};

// What a leftover's advice asks for, so that a script (and a test) can follow it.
enum class Advice {
  Leave,              // the next call on the tree finishes or removes it
  Delete,             // nothing needs it: it may be deleted
  CompareThenDelete,  // an operator compares it with its destination, then deletes it
  KeepForDevelopers,  // nothing may be done with it but keep a copy for the developers
  Mend,               // an operator makes it a writable file again; nothing is deleted
};

struct Leftover {
  std::string path, kind, advice;
  Advice action = Advice::Leave;
  bool operatorMustAct() const {
    return action == Advice::CompareThenDelete || action == Advice::KeepForDevelopers ||
           action == Advice::Mend;
  }
};

struct TrayReport {
  std::string root;
  // What &TELVORIN reads from the registry; empty when the value is not set
  // (the macro then gives the root).
  std::string registryDirectory;
  bool collectFirst = false;
  std::vector<UploadItem> uploads;
  std::vector<ReceivedItem> received;
  // The file at which every call that changes the tree stops (the journal
  // cannot be written, or the interrupted call's plan cannot write it);
  // empty when the next call goes on.
  std::string callStopsAt;
  ControlFileState controlFile;
  CounterState counter;
  std::vector<Leftover> leftovers;
  // Whether any local user may put an archive in the incoming work area,
  // for the next pass to deliver with the rights of whoever runs it.
  OpenToAll incomingWorkOpen = OpenToAll::Unknown;

  // How many items wait for an operator: archives that stay, uploads without
  // their partner, a cut-off record, leftovers no call removes by itself.
  int operatorItems() const;
  bool needsOperator() const { return operatorItems() > 0; }
};

// Reads the tray tree at `root` (normalised) and predicts the next pass with
// the pass's own routines. Changes nothing.
TrayReport inspectTray(const char* root);

// Every reason status gives for an archive that stays or waits, and every
// problem of an upload: docs/cli.md lists each one as it stands.
std::vector<std::string> reasonsGiven();

void printText(const TrayReport& report, std::FILE* out);
void printJson(const TrayReport& report, std::FILE* out);

}  // namespace torvex::cli
