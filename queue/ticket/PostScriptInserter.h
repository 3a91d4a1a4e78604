// Streams a DSC PostScript job and puts a ticket's fragments into it: header
// comments before the end of the header comments, setup code right after
// %%BeginSetup (a setup section is made when the job has none), and the
// standard feature blocks of suppressed keywords left out.
//
// The job is read line by line in whatever pieces it arrives; memory stays
// bounded (one held line, at most one feature block being removed). Every
// byte of the job that is not part of a removed block is passed on unchanged
// and in order; CR, LF and CR LF line ends are all recognised, and the lines
// this class adds end the way the job's first line does.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "queue/ticket/ByteSink.h"
#include "queue/ticket/TicketPlan.h"

// Receives one job-log line: a CUPS level ("INFO", "ERROR", "DEBUG") and the
// text.
using TicketLogFn = std::function<void(std::string_view level, std::string_view text)>;

class PostScriptInserter {
 public:
  struct Report {
    bool dsc = false;           // the job starts with "%!"
    bool headerPlaced = false;  // the header comments were written
    bool setupPlaced = false;   // the setup code was written
    bool setupMade = false;     // ... into a setup section of our own
    size_t removedBlocks = 0;   // suppressed blocks left out
    size_t keptBlocks = 0;      // suppressed blocks kept because they did not close cleanly
  };

  // Lines longer than this are data, never a comment this class acts on.
  static constexpr size_t kMaxLine = 1024;
  // A suppressed block that does not close within this many bytes is kept.
  static constexpr size_t kMaxRemovedBlock = 64 * 1024;

  PostScriptInserter(const TicketPlan& plan, ByteSink& out, TicketLogFn log = {});
  PostScriptInserter(const PostScriptInserter&) = delete;
  PostScriptInserter& operator=(const PostScriptInserter&) = delete;

  // False once the output failed.
  bool Feed(std::string_view chunk);
  // Ends the job: releases anything held and places what is still due.
  bool Finish();

  const Report& Result() const { return report_; }

  // What a line of the job is, as far as placement goes.
  enum class Kind;

 private:
  enum class Phase { Start, Header, AfterHeader, Prolog, AfterProlog, Body, Verbatim };
  enum class Removal { None, Block, Close };

  void OnLine(std::string_view raw, bool isLong);
  void Structured(std::string_view raw, Kind kind, std::string_view text, bool isLong);
  void Layout(Kind kind, std::string_view raw);
  bool IsSuppressed(std::string_view text) const;
  void KeepRemoved(std::string_view why);

  void InsertHeader();
  void InsertSetup();
  void MakeSetup();
  void EnterBody();

  void Out(std::string_view bytes);
  void Emit(std::string_view bytes);
  void EmitLine(std::string_view fragment);
  void FlushRun();
  void Write(std::string_view bytes);
  void Log(std::string_view level, std::string_view text) {
    if (log_) log_(level, text);
  }

  const TicketPlan& plan_;
  ByteSink& out_;
  TicketLogFn log_;
  Report report_;

  Phase phase_ = Phase::Start;
  std::string eol_ = "\n";
  bool eolKnown_ = false;
  bool atLineStart_ = true;
  bool failed_ = false;

  // The chunk being fed and the run of it not yet written.
  const char* chunkBegin_ = nullptr;
  const char* chunkEnd_ = nullptr;
  const char* runBegin_ = nullptr;
  const char* runEnd_ = nullptr;

  std::string carry_;       // the start of a line that continues in the next chunk
  bool crPending_ = false;  // carry_ ends in CR; an LF may follow in the next chunk
  bool longLine_ = false;   // inside a long line, passing bytes until its end
  bool longCr_ = false;     // a long line ended in CR at the chunk's end

  std::string held_;  // a "[{" line waiting to see what follows
  Removal removal_ = Removal::None;
  std::string removed_;
  bool removedWrapped_ = false;
  int depth_ = 0;  // nesting of embedded documents
};
