#include "cli/tray_report.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "conventions/conventions.h"
#include "download/controle_download.h"
#include "download/mensagem_numerada.h"
#include "download/simulacao_recebido.h"
#include "journal/bookkeeping.h"
#include "journal/journal_file.h"
#include "macros/diretorio_telvorin.h"
#include "platform/file.h"
#include "platform/platform.h"
#include "upload/grava_controle_upload.h"

namespace torvex::cli {
namespace {

// What status says of an item beyond the pass's own reasons.
constexpr const char* kArchiveAlone = "archive without its record";
constexpr const char* kRecordAlone = "record without its archive";
constexpr const char* kJournalBlocks = "the journal cannot be read: no pass changes anything";
constexpr const char* kCallStops = "the next call stops at a file it cannot write: no pass goes on";
constexpr const char* kLaterPass = "waits for a later pass (a pass takes 999 archives)";
constexpr const char* kUnnamable = "name this system cannot pass to a host exactly";
constexpr const char* kUnknownReason = "unknown";
constexpr const char* kDispositionUnknown = "unknown";

bool isPlainFile(const DirEntry& e) {
  return e.name != "." && e.name != ".." && !(e.attributes & kAttrDirectory);
}

// The plain files a pattern matches, in the search's order.
std::vector<std::string> filesMatching(const std::string& pattern) {
  std::vector<std::string> names;
  DirSearch search(pattern.c_str());
  for (bool more = search.found(); more; more = search.next()) {
    if (isPlainFile(search.entry())) names.push_back(search.entry().name);
  }
  return names;
}

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool endsWithNoCase(std::string_view name, std::string_view tail) {
  return name.size() >= tail.size() && upper(name.substr(name.size() - tail.size())) == tail;
}

bool startsWithNoCase(std::string_view name, std::string_view head) {
  return name.size() >= head.size() && upper(name.substr(0, head.size())) == head;
}

std::string withExtension(std::string_view name, std::string_view extension) {
  return std::string(name.substr(0, name.rfind('.') + 1)).append(extension);
}

void inspectUploads(const std::string& work, TrayReport& report) {
  for (const std::string& archive : filesMatching(work + "/f*_*.arj")) {
    UploadItem item;
    item.archive = archive;
    item.record = withExtension(archive, "DAT");
    char source[kTamanhoCaminho], time[kTamanhoCaminho];
    if (leControleUpload((work + "/" + item.record).c_str(), source, time)) {
      item.source = source;
      item.time = time;
    } else {
      item.record.clear();
      item.problem = kArchiveAlone;
    }
    report.uploads.push_back(std::move(item));
  }
  for (const std::string& record : filesMatching(work + "/f*_*.dat")) {
    if (pathExists((work + "/" + withExtension(record, "ARJ")).c_str())) continue;
    UploadItem item;
    item.record = record;
    char source[kTamanhoCaminho], time[kTamanhoCaminho];
    if (leControleUpload((work + "/" + record).c_str(), source, time)) {
      item.source = source;
      item.time = time;
    }
    item.problem = kRecordAlone;
    report.uploads.push_back(std::move(item));
  }
}

const char* reasonText(MotivoPermanencia motivo) {
  switch (motivo) {
    case MotivoPermanencia::CaminhoLongo: return "a path for it would pass 255 characters";
    case MotivoPermanencia::NaoArquivo: return "not an archive";
    case MotivoPermanencia::ErroCrc: return "CRC error";
    case MotivoPermanencia::FalhaExtracao: return "does not extract";
    case MotivoPermanencia::SemDescritor: return "no descriptor";
    case MotivoPermanencia::CarimboIlegivel: return "stamp does not scan";
    case MotivoPermanencia::ExpansaoInvalida: return "expansion empty or too long";
    case MotivoPermanencia::SemDados: return "no data file";
    case MotivoPermanencia::ControleIndisponivel: return "control file cannot be written";
    case MotivoPermanencia::DestinoDiretorio: return "destination is a directory";
    case MotivoPermanencia::DestinoSomenteLeitura: return "read-only destination";
    case MotivoPermanencia::SemNomeNumerado: return "no numbered name is free";
    case MotivoPermanencia::DiretorioAusente: return "destination directory missing";
    case MotivoPermanencia::DestinoReservado: return "destination is the tray tree's own bookkeeping";
    case MotivoPermanencia::NomeInvalido: return "destination is not a file name";
    case MotivoPermanencia::LigacaoSemAlvo: return "destination is a link to no file";
  }
  return kUnknownReason;
}

std::string reasonDetail(const DecisaoRecebido& d) {
  switch (d.motivo) {
    case MotivoPermanencia::NaoArquivo:
    case MotivoPermanencia::ErroCrc:
    case MotivoPermanencia::FalhaExtracao:
      return "error level " + std::to_string(d.nivelExtracao);
    case MotivoPermanencia::CarimboIlegivel:
      return "FI " + std::string(d.descritor.fi) + ", stamp \"" + d.descritor.carimbo + "\"";
    case MotivoPermanencia::ExpansaoInvalida:
      return d.descritor.fi[0] ? "FI " + std::string(d.descritor.fi) : "the FI line is empty";
    case MotivoPermanencia::DiretorioAusente:
      return d.colocacao.final;
    case MotivoPermanencia::DestinoDiretorio:
    case MotivoPermanencia::DestinoSomenteLeitura:
    case MotivoPermanencia::SemNomeNumerado:
    case MotivoPermanencia::DestinoReservado:
      return d.destino;
    case MotivoPermanencia::NomeInvalido:
    case MotivoPermanencia::LigacaoSemAlvo:
      return d.colocacao.final[0] ? d.colocacao.final : d.destino;
    default:
      return "";
  }
}

std::string disposition(const PrevisaoRecebido& p) {
  const DecisaoRecebido& d = p.decisao;
  switch (d.colocacao.modo) {
    case ModoEntrega::Substitui: return "replace";
    case ModoEntrega::Anexa: return "append";
    case ModoEntrega::Move: break;
  }
  // A plan written before plans recorded the expanded FI cannot tell a
  // numbered name from the destination itself.
  if (!p.destinoConhecido) return kDispositionUnknown;
  return std::string_view(d.colocacao.final) == d.destino ? "new" : "numbered";
}

void inspectReceived(const char* root, TrayReport& report) {
  PrevisaoPasso pass = simulaPasso(root);
  report.collectFirst = pass.coleta;
  report.callStopsAt = pass.bloqueio;
  for (const PrevisaoRecebido& p : pass.recebidos) {
    ReceivedItem item;
    item.name = p.arquivo.name;
    if (pass.bloqueado) {
      item.reason = kJournalBlocks;
    } else if (!pass.bloqueio.empty()) {
      // The plan's deliveries are placed but not recorded; nothing else moves.
      item.pending = p.pendente;
      item.reason = kCallStops;
      item.detail = pass.bloqueio;
    } else if (p.adiado) {
      item.later = true;
      item.reason = kLaterPass;
    } else if (p.decisao.entrega) {
      item.deliver = true;
      item.pending = p.pendente;
      item.recorded = p.registrado;
      item.destination = p.decisao.colocacao.final;
      item.disposition = disposition(p);
    } else {
      item.reason = reasonText(p.decisao.motivo);
      item.detail = reasonDetail(p.decisao);
    }
    report.received.push_back(std::move(item));
  }
}

void inspectControlFile(const char* root, TrayReport& report) {
  ControlFileState& state = report.controlFile;
  char path[kTamanhoCaminho];
  if (!caminhoControle(root, path)) return;
  state.path = path;
  state.present = DirSearch(path).found();
  if (!state.present) return;
  std::string bytes;
  state.readable = readWholeFile(path, bytes);
  if (!state.readable) return;
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != bytes.npos; start = end + 1) {
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  size_t i = 0;
  for (; i + 5 <= lines.size() && lines[i] == "#"; i += 5) {
    ++state.records;
    state.archives.push_back(lines[i + 2]);
  }
  state.lastRecordWhole = i == lines.size() && start == bytes.size();
}

// The write-ahead journal of a call cut short: its plan is finished by the
// next call on the tree, never by a report. One that cannot be read stops
// every changing call until an operator looks at it.
void inspectJournal(const std::string& root, TrayReport& report) {
  const std::string journal = root + "/DATA/TORVEX.JNL";
  if (!report.callStopsAt.empty()) {
    const bool itself = report.callStopsAt == journal;
    report.leftovers.push_back(
        {report.callStopsAt,
         itself ? "journal that cannot be written"
                : "file that the interrupted call's plan must write and cannot",
         "it is a directory, a read-only file or in a folder that is missing, so every "
         "geraArquivoUpload and disponibilizaArquivos on this tree stops there and returns its "
         "failure value" +
             std::string(itself ? ", having changed nothing"
                                : ": data files the plan places are placed, but nothing is "
                                  "recorded and nothing else moves") +
             ". Make it a writable file again (never delete or edit the journal); the next "
             "call then goes on",
         Advice::Mend});
  }
  Plan plan;
  switch (readJournal(root.c_str(), plan)) {
    case JournalState::None:
      return;
    case JournalState::Error:
      report.leftovers.push_back(
          {journal, "journal that cannot be read",
           "its plan cannot be trusted, so every geraArquivoUpload and disponibilizaArquivos "
           "on this tree returns its failure value and changes nothing: keep a copy of it "
           "and of the tree for the developers before anything else",
           Advice::KeepForDevelopers});
      return;
    case JournalState::Plan:
      break;
  }
  if (report.callStopsAt == journal) return;
  const bool carriedOnly = std::all_of(plan.steps.begin(), plan.steps.end(),
                                       [](const Step& s) { return s.pending; });
  report.leftovers.push_back(
      carriedOnly
          ? Leftover{journal, "steps that could not be done yet (a file held open)",
                     "every call on this tree retries them (status does not): leave it in place"}
          : Leftover{journal, "journal of an interrupted call, pending recovery",
                     "the next geraArquivoUpload or disponibilizaArquivos on this tree finishes "
                     "its plan before anything else (status does not): leave it in place"});
}

// What a call cut short had made in the tree's private folder.
void inspectPrivate(const char* root, TrayReport& report) {
  char folder[kTamanhoCaminho];
  if (!caminhoPrivado(root, folder)) return;
  char secondName[kTamanhoCaminho];
  const std::string dir = folder;
  const std::string link = caminhoSegundoNome(root, secondName) ? dobraCaixa(secondName) : "";
  for (const std::string& name : filesMatching(dir + "/*")) {
    if (startsWithNoCase(name, "ARJ$")) {
      report.leftovers.push_back({dir + "/" + name, "scratch file of the archive library",
                                  "left by an interrupted packing; belongs to no archive: the next call removes it"});
    } else if (dobraCaixa(dir + "/" + name) == link) {
      report.leftovers.push_back(
          {dir + "/" + name, "second name of ContDown.dat, kept by an interrupted pass",
           "shows the next call which records the host was given, should it delete ContDown.dat: "
           "leave it in place; the next call removes it"});
    } else {
      report.leftovers.push_back(
          {dir + "/" + name, "half-made upload archive or record",
           "left by an interrupted packing, whose source file is still in place: the next "
           "call removes it"});
    }
  }
}

void inspectCounter(const char* root, TrayReport& report) {
  char path[kTamanhoCaminho];
  if (!caminhoContador(root, path)) return;
  report.counter.path = path;
  report.counter.present = pathExists(path);
  report.counter.readable = leContador(path, report.counter.value);
}

// Members extracted into the incoming tray and left there, and archives
// parked under their delivery name.
void inspectIncoming(const std::string& tray, const std::string& work, TrayReport& report) {
  std::set<std::string> waiting;
  for (const std::string& name : filesMatching(work + "/D?????.ARJ")) {
    waiting.insert(upper(name.substr(0, name.rfind('.'))));
  }
  for (const std::string& name : filesMatching(tray + "/*")) {
    const std::string path = tray + "/" + name;
    if (startsWithNoCase(name, "ARJ$") && endsWithNoCase(name, ".TMP")) {
      report.leftovers.push_back({path, "scratch file of the archive library",
                                  "left by an interrupted extraction: the next call removes it"});
      continue;
    }
    const std::string base = upper(name.substr(0, name.rfind('.')));
    if (waiting.count(base)) {
      report.leftovers.push_back(
          {path, "extracted member of " + base + ".ARJ, which is still waiting",
           "the next pass extracts the archive again over it: it can be deleted",
           Advice::Delete});
    } else {
      report.leftovers.push_back(
          {path, "extracted member of no waiting archive",
           "its archive is gone; a data file may already be delivered (an append whose "
           "clean-up failed): compare it with its destination, then delete it",
           Advice::CompareThenDelete});
    }
  }
  for (const std::string& name : filesMatching(work + "/*.ENTREGA")) {
    const std::string archive = name.substr(0, name.size() - std::string_view(".ENTREGA").size());
    const auto& recorded = report.controlFile.archives;
    const bool inControl = std::find(recorded.begin(), recorded.end(), archive) != recorded.end();
    report.leftovers.push_back(
        {work + "/" + name, "archive parked during its delivery",
         // A call finishes a journalled delivery or deletes a delivered one
         // whose delete failed; renaming it back would deliver it twice.
         (inControl ? "ContDown.dat records " + archive + ": delivered, its delete failed"
                    : "no record for " + archive +
                          " in ContDown.dat: a pending journal finishes its delivery, else it "
                          "was delivered and the host took the control file") +
             "; the next call deals with it: never rename it back"});
  }
}

// Files whose names this system cannot pass to a host or take back exactly
// (a character outside the ANSI code page, a trailing dot): every call
// leaves them alone, as if they were not there.
void inspectUnnamable(const std::string& root, TrayReport& report) {
  for (const char* tray : {"/Outtray/Work", "/Outtray", "/Intray/Work", "/Intray"}) {
    const std::string dir = root + tray;
    for (const std::string& name : platform().unnamableEntries(dir.c_str())) {
      report.leftovers.push_back(
          {dir + "/" + name, kUnnamable,
           "every call leaves it alone, as if it were not there: rename it with characters of "
           "the ANSI code page, without a trailing dot or space, if it is to be handled"});
    }
  }
}

// A file that a pending plan names is the plan's, whatever it looks like:
// the call that finishes the plan moves, appends or deletes it, and an
// operator who deleted or moved it first would lose or double a delivery
// or an upload. An upload whose missing partner the plan publishes lacks
// nothing.
void leaveWhatThePlanNames(const std::string& root, TrayReport& report) {
  Plan plan;
  if (readJournal(root.c_str(), plan) != JournalState::Plan) return;
  const std::set<std::string> named = filesNamed(plan);
  auto isNamed = [&named](const std::string& path) { return named.count(dobraCaixa(path)) > 0; };
  for (Leftover& l : report.leftovers) {
    if (!isNamed(l.path) || l.action == Advice::Mend) continue;
    l.advice = "named by the plan of an interrupted call, which the next call finishes "
               "(status does not): leave it in place";
    l.action = Advice::Leave;
  }
  const std::string work = root + "/Outtray/Work/";
  for (UploadItem& u : report.uploads) {
    if (u.problem.empty()) continue;
    std::string& missing = u.archive.empty() ? u.archive : u.record;
    const std::string partner = withExtension(u.archive.empty() ? u.record : u.archive,
                                              u.archive.empty() ? "ARJ" : "DAT");
    if (!isNamed(work + partner)) continue;
    missing = partner;
    u.problem.clear();
    u.partnerPending = true;
  }
}

}  // namespace

std::vector<std::string> reasonsGiven() {
  std::vector<std::string> reasons = {kArchiveAlone, kRecordAlone, kJournalBlocks, kCallStops,
                                      kLaterPass, kUnnamable};
  // The motives are numbered from 0 without gaps; past the last one the
  // text is the fallback.
  for (int i = 0;; ++i) {
    const char* text = reasonText(static_cast<MotivoPermanencia>(i));
    if (text == kUnknownReason) return reasons;
    reasons.emplace_back(text);
  }
}

int TrayReport::operatorItems() const {
  auto count = [](const auto& items, auto pred) {
    return static_cast<int>(std::count_if(items.begin(), items.end(), pred));
  };
  return (controlFile.lastRecordWhole && controlFile.readable ? 0 : 1) +
         count(leftovers, [](const Leftover& l) { return l.operatorMustAct(); }) +
         count(uploads, [](const UploadItem& u) { return !u.problem.empty(); }) +
         count(received, [](const ReceivedItem& r) { return !r.deliver && !r.later; });
}

TrayReport inspectTray(const char* root) {
  TrayReport report;
  report.root = root;
  report.registryDirectory = valorTelvorin().value_or("");
  const std::string work = report.root + "/Outtray/Work";
  inspectUploads(work, report);
  inspectReceived(root, report);
  inspectControlFile(root, report);
  inspectCounter(root, report);
  inspectJournal(report.root, report);
  inspectPrivate(root, report);
  inspectIncoming(report.root + "/Intray", report.root + "/Intray/Work", report);
  inspectUnnamable(report.root, report);
  leaveWhatThePlanNames(report.root, report);
  report.incomingWorkOpen = platform().writableByEveryone((report.root + "/Intray/Work").c_str());
  return report;
}

}  // namespace torvex::cli
