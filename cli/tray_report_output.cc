// The status report as text for an operator and as JSON for a script.
#include <string>
#include <string_view>

#include "cli/tray_report.h"

namespace torvex::cli {
namespace {

std::string json(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", b);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string jsonOrNull(const std::string& text) { return text.empty() ? "null" : json(text); }

// Where &TELVORIN looks; on 64-bit Windows both libraries read the 32-bit view.
constexpr const char* kRegistryValue =
    "HKEY_LOCAL_MACHINE\\Software\\Norvalis\\Telvorin, value Telvorin (32-bit view)";

const char* boolean(bool b) { return b ? "true" : "false"; }

}  // namespace

void printText(const TrayReport& r, std::FILE* out) {
  std::fprintf(out, "Tray tree %s\n\n", r.root.c_str());
  std::fprintf(out, "Uploads waiting in %s/Outtray/Work, in listing order:\n", r.root.c_str());
  if (r.uploads.empty()) std::fprintf(out, "  none\n");
  for (const UploadItem& u : r.uploads) {
    if (u.partnerPending) {
      std::fprintf(out, "  %s  its %s is published by the interrupted call's plan, which the "
                   "next call finishes\n", (u.source.empty() ? u.archive : u.record).c_str(),
                   u.source.empty() ? "record" : "archive");
    } else if (u.problem.empty()) {
      std::fprintf(out, "  %s  from %s, written %s\n", u.archive.c_str(), u.source.c_str(),
                   u.time.c_str());
    } else {
      std::fprintf(out, "  %s  ** %s%s%s\n", (u.archive.empty() ? u.record : u.archive).c_str(),
                   u.problem.c_str(), u.source.empty() ? "" : ", source ",
                   u.source.c_str());
    }
  }

  std::fprintf(out, "\nReceived archives, in the order the next pass takes them (%s mode):\n",
               r.collectFirst ? "collect-first" : "direct");
  if (r.received.empty()) std::fprintf(out, "  none\n");
  for (const ReceivedItem& item : r.received) {
    if (item.pending && item.deliver) {
      std::fprintf(out, "  %s  delivered to %s (%s) by finishing the interrupted call's plan%s\n",
                   item.name.c_str(), item.destination.c_str(),
                   item.disposition == "unknown" ? "new or numbered: destination unknown to this journal"
                                                 : item.disposition.c_str(),
                   item.recorded ? "; already recorded" : "");
    } else if (item.deliver) {
      std::fprintf(out, "  %s  deliver to %s (%s)\n", item.name.c_str(), item.destination.c_str(),
                   item.disposition.c_str());
    } else {
      std::fprintf(out, "  %s  %s %s: %s%s%s%s\n", item.name.c_str(), item.later ? "  " : "**",
                   item.pending ? "held by the interrupted call's plan" : "stays", item.reason.c_str(), item.detail.empty() ? "" : " (", item.detail.c_str(),
                   item.detail.empty() ? "" : ")");
    }
  }

  const ControlFileState& c = r.controlFile;
  std::fprintf(out, "\nDownload control file %s: ", c.path.c_str());
  if (!c.present) {
    std::fprintf(out, "absent\n");
  } else if (!c.readable) {
    std::fprintf(out, "present, ** cannot be read\n");
  } else {
    std::fprintf(out, "present, %ld whole record%s, %s\n", c.records, c.records == 1 ? "" : "s",
                 c.lastRecordWhole ? "nothing after them"
                                   : "** followed by a cut-off record (an interrupted write)");
  }
  std::fprintf(out, "Message counter %s: ", r.counter.path.c_str());
  if (!r.counter.present) {
    std::fprintf(out, "absent (the first numbered message will be 1)\n");
  } else if (!r.counter.readable) {
    std::fprintf(out, "shorter than four bytes (numbering restarts at 1)\n");
  } else {
    std::fprintf(out, "%d (the last number issued)\n", static_cast<int>(r.counter.value));
  }
  std::fprintf(out, "&TELVORIN reads %s: %s\n", kRegistryValue,
               r.registryDirectory.empty() ? "not set (it gives the root)"
                                           : r.registryDirectory.c_str());

  std::fprintf(out, "\nLeftovers of interrupted work:\n");
  if (r.leftovers.empty()) std::fprintf(out, "  none\n");
  for (const Leftover& l : r.leftovers) {
    std::fprintf(out, "  %s%s\n      %s\n      -> %s\n", l.operatorMustAct() ? "** " : "",
                 l.path.c_str(), l.kind.c_str(), l.advice.c_str());
  }

  if (r.incomingWorkOpen == OpenToAll::Yes) {
    std::fprintf(out,
                 "\nWarning: every local user may write to %s/Intray/Work, so anyone can put\n"
                 "an archive there that the next pass delivers with the rights of whoever\n"
                 "runs it. Restrict the tray tree (README.md, \"Install on Windows\").\n",
                 r.root.c_str());
  }

  const int n = r.operatorItems();
  if (n == 0 && r.leftovers.empty()) {
    std::fprintf(out, "\nNothing is stuck or left over.\n");
  } else if (n == 0) {
    std::fprintf(out, "\nNothing needs an operator: the next call deals with the leftovers.\n");
  } else {
    std::fprintf(out, "\n%d item%s need%s an operator (marked **).\n", n, n == 1 ? "" : "s",
                 n == 1 ? "s" : "");
  }
}

void printJson(const TrayReport& r, std::FILE* out) {
  std::fprintf(out, "{\n  \"uploads\": [");
  const char* sep = "\n";
  for (const UploadItem& u : r.uploads) {
    std::fprintf(out,
                 "%s    {\"archive\": %s, \"record\": %s, \"source\": %s, \"time\": %s, "
                 "\"problem\": %s, \"partner_pending\": %s}",
                 sep, jsonOrNull(u.archive).c_str(), jsonOrNull(u.record).c_str(),
                 jsonOrNull(u.source).c_str(), jsonOrNull(u.time).c_str(),
                 jsonOrNull(u.problem).c_str(), boolean(u.partnerPending));
    sep = ",\n";
  }
  std::fprintf(out, "%s],\n  \"received\": [", r.uploads.empty() ? "" : "\n  ");
  sep = "\n";
  for (const ReceivedItem& item : r.received) {
    if (item.deliver) {
      std::fprintf(out,
                   "%s    {\"name\": %s, \"action\": \"deliver\", \"destination\": %s, "
                   "\"disposition\": %s, \"pending_plan\": %s, \"recorded\": %s}",
                   sep, json(item.name).c_str(), json(item.destination).c_str(),
                   json(item.disposition).c_str(), boolean(item.pending), boolean(item.recorded));
    } else {
      std::fprintf(out,
                   "%s    {\"name\": %s, \"action\": \"stay\", \"reason\": %s, \"detail\": %s, "
                   "\"pending_plan\": %s}",
                   sep, json(item.name).c_str(), json(item.reason).c_str(),
                   jsonOrNull(item.detail).c_str(), boolean(item.pending));
    }
    sep = ",\n";
  }
  const ControlFileState& c = r.controlFile;
  std::fprintf(out, "%s],\n  \"call_stops_at\": %s", r.received.empty() ? "" : "\n  ",
               jsonOrNull(r.callStopsAt).c_str());
  std::fprintf(out,
               ",\n  \"control_file\": {\"path\": %s, \"present\": %s, \"records\": %s, "
               "\"last_record_whole\": %s},\n",
               json(c.path).c_str(), boolean(c.present),
               c.readable ? std::to_string(c.records).c_str() : "null",
               c.readable ? boolean(c.lastRecordWhole) : "null");
  std::fprintf(out, "  \"counter\": {\"path\": %s, \"present\": %s, \"value\": ",
               json(r.counter.path).c_str(), boolean(r.counter.present));
  if (r.counter.readable) {
    std::fprintf(out, "%d},\n", static_cast<int>(r.counter.value));
  } else {
    std::fprintf(out, "null},\n");
  }
  const bool open = r.incomingWorkOpen == OpenToAll::Yes;
  std::fprintf(out, "  \"incoming_work_writable_by_everyone\": %s,\n",
               r.incomingWorkOpen == OpenToAll::Unknown ? "null" : boolean(open));
  std::fprintf(out, "  \"registry_directory\": %s,\n", jsonOrNull(r.registryDirectory).c_str());
  std::fprintf(out, "  \"leftovers\": [");
  sep = "\n";
  for (const Leftover& l : r.leftovers) {
    std::fprintf(out, "%s    {\"path\": %s, \"kind\": %s, \"advice\": %s, \"operator\": %s}", sep,
                 json(l.path).c_str(), json(l.kind).c_str(), json(l.advice).c_str(),
                 boolean(l.operatorMustAct()));
    sep = ",\n";
  }
  std::fprintf(out, "%s]\n}\n", r.leftovers.empty() ? "" : "\n  ");
}

}  // namespace torvex::cli
