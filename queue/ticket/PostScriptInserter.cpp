#include "queue/ticket/PostScriptInserter.h"

#include <cstring>
#include <functional>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

enum class PostScriptInserter::Kind {
  Other,
  Blank,
  Comment,  // a comment line that opens or closes nothing
  EndComments,
  BeginDefaults,
  BeginProlog,
  EndProlog,
  BeginSetup,
  EndSetup,
  PageBreak,  // %%Page:, %%BeginPageSetup, %%EndPageSetup, %%Trailer, %%EOF
  OtherSection,
  BeginFeature,
  EndFeature,
  OpenWrapper,   // "[{"
  CloseWrapper,  // "} stopped cleartomark"
  BeginDocument,
  EndDocument,
};

namespace {

using Kind = PostScriptInserter::Kind;

// The first CR or LF in [p, end), or null.
const char* FindLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  while (end - p >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  for (; p < end; ++p) {
    if (*p == '\n' || *p == '\r') return p;
  }
  return nullptr;
}

// The first line start in (p, end) whose line opens with '%' or '[': in the
// body only such lines can be feature blocks or embedded documents.
const char* FindMarkedLineStart(const char* p, const char* end) {
  const char* s = p + 1;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i percent = _mm_set1_epi8('%');
  const __m128i bracket = _mm_set1_epi8('[');
  while (end - s >= 16) {
    __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s - 1));
    __m128i at = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    __m128i lineEnd = _mm_or_si128(_mm_cmpeq_epi8(before, lf), _mm_cmpeq_epi8(before, cr));
    __m128i marked = _mm_or_si128(_mm_cmpeq_epi8(at, percent), _mm_cmpeq_epi8(at, bracket));
    int mask = _mm_movemask_epi8(_mm_and_si128(lineEnd, marked));
    if (mask != 0) return s + __builtin_ctz(static_cast<unsigned>(mask));
    s += 16;
  }
#endif
  for (; s < end; ++s) {
    if ((s[-1] == '\n' || s[-1] == '\r') && (*s == '%' || *s == '[')) return s;
  }
  return nullptr;
}

std::string_view StripLineEnd(std::string_view raw) {
  while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r')) raw.remove_suffix(1);
  return raw;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t\f") == std::string_view::npos;
}

// "%%Name" alone or followed by a blank or a colon.
bool IsComment(std::string_view text, std::string_view name) {
  if (!text.starts_with(name)) return false;
  if (text.size() == name.size()) return true;
  char next = text[name.size()];
  return next == ' ' || next == '\t' || next == ':';
}

Kind Classify(std::string_view text) {
  if (text.empty()) return Kind::Blank;
  switch (text[0]) {
    case '[':
      return TrimRight(text) == "[{" ? Kind::OpenWrapper : Kind::Other;
    case '}':
      return TrimRight(text) == "} stopped cleartomark" ? Kind::CloseWrapper : Kind::Other;
    case '%':
      break;
    default:
      return IsBlank(text) ? Kind::Blank : Kind::Other;
  }
  // Single-'%' lines are comments too: pstops writes one into the header.
  if (text.size() < 2 || text[1] != '%') return Kind::Comment;
  if (text.starts_with("%%Begin")) {
    if (IsComment(text, "%%BeginFeature")) return Kind::BeginFeature;
    if (IsComment(text, "%%BeginSetup")) return Kind::BeginSetup;
    if (IsComment(text, "%%BeginProlog")) return Kind::BeginProlog;
    if (IsComment(text, "%%BeginDefaults")) return Kind::BeginDefaults;
    if (IsComment(text, "%%BeginDocument")) return Kind::BeginDocument;
    if (IsComment(text, "%%BeginPageSetup")) return Kind::PageBreak;
    return Kind::OtherSection;
  }
  if (text.starts_with("%%End")) {
    if (IsComment(text, "%%EndComments")) return Kind::EndComments;
    if (IsComment(text, "%%EndFeature")) return Kind::EndFeature;
    if (IsComment(text, "%%EndSetup")) return Kind::EndSetup;
    if (IsComment(text, "%%EndProlog")) return Kind::EndProlog;
    if (IsComment(text, "%%EndDocument")) return Kind::EndDocument;
    if (IsComment(text, "%%EndPageSetup")) return Kind::PageBreak;
    return Kind::OtherSection;
  }
  if (text.starts_with("%%Page:") || IsComment(text, "%%Trailer") || IsComment(text, "%%EOF"))
    return Kind::PageBreak;
  return Kind::Comment;
}

// Lines that cannot stand inside a feature block: a block that meets one was
// not a block of its own and is kept.
bool EndsRemoval(Kind kind) {
  switch (kind) {
    case Kind::BeginFeature:
    case Kind::BeginSetup:
    case Kind::EndSetup:
    case Kind::BeginProlog:
    case Kind::EndProlog:
    case Kind::BeginDefaults:
    case Kind::EndComments:
    case Kind::PageBreak:
    case Kind::BeginDocument:
    case Kind::EndDocument:
      return true;
    default:
      return false;
  }
}

bool EndsInLineEnd(std::string_view bytes) {
  return !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r');
}

bool Within(const char* p, size_t size, const char* begin, const char* end) {
  std::less_equal<const char*> le;
  return begin && le(begin, p) && le(p + size, end);
}

}  // namespace

PostScriptInserter::PostScriptInserter(const TicketPlan& plan, ByteSink& out, TicketLogFn log)
    : plan_(plan), out_(out), log_(std::move(log)) {
  carry_.reserve(kMaxLine);
}

// ---- output -------------------------------------------------------------

void PostScriptInserter::Write(std::string_view bytes) {
  if (failed_ || bytes.empty()) return;
  if (!out_.Write(bytes)) failed_ = true;
}

void PostScriptInserter::FlushRun() {
  if (runBegin_ != runEnd_) Write(std::string_view(runBegin_, runEnd_ - runBegin_));
  runBegin_ = runEnd_ = nullptr;
}

// Job bytes: those of the current chunk gather into one run, so that a chunk
// without insertions reaches the sink in one piece.
void PostScriptInserter::Out(std::string_view bytes) {
  if (bytes.empty()) return;
  if (runEnd_ && bytes.data() == runEnd_ &&
      Within(bytes.data(), bytes.size(), chunkBegin_, chunkEnd_)) {
    runEnd_ += bytes.size();
  } else {
    FlushRun();
    if (Within(bytes.data(), bytes.size(), chunkBegin_, chunkEnd_)) {
      runBegin_ = bytes.data();
      runEnd_ = runBegin_ + bytes.size();
    } else {
      Write(bytes);
    }
  }
  atLineStart_ = EndsInLineEnd(bytes);
}

// Bytes of our own, between job bytes.
void PostScriptInserter::Emit(std::string_view bytes) {
  if (bytes.empty()) return;
  FlushRun();
  Write(bytes);
  atLineStart_ = EndsInLineEnd(bytes);
}

// A fragment on lines of its own: it starts on a new line and the job's next
// line does too.
void PostScriptInserter::EmitLine(std::string_view fragment) {
  if (!atLineStart_) Emit(eol_);
  Emit(fragment);
  if (!atLineStart_) Emit(eol_);
}

// ---- placement ----------------------------------------------------------

void PostScriptInserter::InsertHeader() {
  for (const auto& comment : plan_.header) EmitLine(comment);
  report_.headerPlaced = true;
}

void PostScriptInserter::InsertSetup() {
  for (const auto& code : plan_.setup) EmitLine(code);
  report_.setupPlaced = true;
  EnterBody();
}

void PostScriptInserter::MakeSetup() {
  if (!plan_.setup.empty()) {
    EmitLine("%%BeginSetup");
    for (const auto& code : plan_.setup) EmitLine(code);
    EmitLine("%%EndSetup");
    report_.setupMade = true;
  }
  report_.setupPlaced = true;
  EnterBody();
}

void PostScriptInserter::EnterBody() {
  // Without keywords to suppress nothing is left to look for.
  phase_ = plan_.suppressed.empty() ? Phase::Verbatim : Phase::Body;
}

// Where the setup section is: right after %%BeginSetup when the job has one
// before its pages; otherwise one is made after the prolog, or after the
// header when there is no prolog.
void PostScriptInserter::Layout(Kind kind, std::string_view raw) {
  switch (phase_) {
    case Phase::AfterHeader:
      if (kind == Kind::BeginProlog || kind == Kind::BeginDefaults) {
        phase_ = Phase::Prolog;
      } else if (kind == Kind::BeginSetup) {
        Out(raw);
        InsertSetup();
        return;
      } else if (kind != Kind::Blank && kind != Kind::Comment) {
        MakeSetup();
      }
      break;
    case Phase::Prolog:
      if (kind == Kind::BeginSetup) {
        Out(raw);
        InsertSetup();
        return;
      }
      if (kind == Kind::EndProlog) {
        phase_ = Phase::AfterProlog;
      } else if (kind == Kind::PageBreak) {
        MakeSetup();
      }
      break;
    case Phase::AfterProlog:
      if (kind == Kind::BeginSetup) {
        Out(raw);
        InsertSetup();
        return;
      }
      if (kind != Kind::Blank && kind != Kind::Comment) MakeSetup();
      break;
    default:
      break;
  }
  Out(raw);
}

// ---- suppression ----------------------------------------------------------

bool PostScriptInserter::IsSuppressed(std::string_view text) const {
  std::string_view rest = text.substr(std::strlen("%%BeginFeature"));
  if (!rest.empty() && rest.front() == ':') rest.remove_prefix(1);
  size_t start = rest.find_first_not_of(" \t");
  if (start == std::string_view::npos) return false;
  rest.remove_prefix(start);
  std::string_view keyword = rest.substr(0, rest.find_first_of(" \t"));
  return plan_.suppressed.find(keyword) != plan_.suppressed.end();
}

void PostScriptInserter::KeepRemoved(std::string_view why) {
  std::string bytes = std::move(removed_);
  removed_.clear();
  removal_ = Removal::None;
  ++report_.keptBlocks;
  Log("DEBUG", "A suppressed feature block was kept: " + std::string(why));
  Layout(Kind::Other, bytes);
}

void PostScriptInserter::Structured(std::string_view raw, Kind kind, std::string_view text,
                                    bool isLong) {
  if (removal_ == Removal::Block) {
    if (!isLong && !EndsRemoval(kind) && removed_.size() + raw.size() <= kMaxRemovedBlock) {
      removed_.append(raw);
      if (kind == Kind::EndFeature) {
        if (removedWrapped_) {
          removal_ = Removal::Close;
        } else {
          removed_.clear();
          removal_ = Removal::None;
          ++report_.removedBlocks;
        }
      }
      return;
    }
    KeepRemoved(isLong || EndsRemoval(kind) ? "it has no %%EndFeature" : "it is too long");
  } else if (removal_ == Removal::Close) {
    if (kind == Kind::CloseWrapper) {
      removed_.clear();
      removal_ = Removal::None;
      ++report_.removedBlocks;
      return;
    }
    KeepRemoved("its wrapper does not close");
  }

  if (!held_.empty()) {
    if (kind == Kind::BeginFeature && !isLong && IsSuppressed(text)) {
      removed_ = std::move(held_);
      held_.clear();
      removed_.append(raw);
      removal_ = Removal::Block;
      removedWrapped_ = true;
      return;
    }
    std::string held = std::move(held_);
    held_.clear();
    Layout(Kind::Other, held);
  }

  if (depth_ == 0 && !isLong && !plan_.suppressed.empty()) {
    if (kind == Kind::OpenWrapper) {
      held_.assign(raw);
      return;
    }
    if (kind == Kind::BeginFeature && IsSuppressed(text)) {
      removed_.assign(raw);
      removal_ = Removal::Block;
      removedWrapped_ = false;
      return;
    }
  }
  // Embedded documents keep their own feature code.
  if (kind == Kind::BeginDocument) ++depth_;
  if (kind == Kind::EndDocument && depth_ > 0) --depth_;
  Layout(kind, raw);
}

// ---- lines ----------------------------------------------------------------

void PostScriptInserter::OnLine(std::string_view raw, bool isLong) {
  std::string_view text = StripLineEnd(raw);
  // Only a line seen whole sets the style: a long line's end may not be in view.
  if (!eolKnown_ && !isLong && text.size() != raw.size()) {
    eol_.assign(raw.substr(text.size()));
    eolKnown_ = true;
  }
  // Only the head of a long line is seen: it is a comment or data, never a
  // marker that something is placed after.
  Kind kind = isLong ? (text.starts_with('%') ? Kind::Comment : Kind::Other) : Classify(text);
  switch (phase_) {
    case Phase::Start:
      if (text.starts_with("%!")) {
        report_.dsc = true;
        phase_ = Phase::Header;
      } else {
        Log("INFO", "The job is not DSC PostScript; it prints without its job ticket");
        phase_ = Phase::Verbatim;
      }
      Out(raw);
      return;
    case Phase::Header:
      if (kind == Kind::Comment) {
        Out(raw);
        return;
      }
      // %%EndComments, or any other line, ends the header comments.
      InsertHeader();
      phase_ = Phase::AfterHeader;
      if (kind == Kind::EndComments) {
        Out(raw);
        return;
      }
      Structured(raw, kind, text, isLong);
      return;
    case Phase::Verbatim:
      Out(raw);
      return;
    default:
      Structured(raw, kind, text, isLong);
      return;
  }
}

bool PostScriptInserter::Feed(std::string_view chunk) {
  if (chunk.empty()) return !failed_;
  const char* p = chunk.data();
  const char* end = p + chunk.size();
  chunkBegin_ = p;
  chunkEnd_ = end;

  if (crPending_) {
    crPending_ = false;
    if (*p == '\n') {
      carry_.push_back('\n');
      ++p;
    }
    OnLine(carry_, false);
    carry_.clear();
  } else if (longCr_) {
    longCr_ = false;
    if (*p == '\n') Out(std::string_view(p++, 1));
  }

  while (p < end && !failed_) {
    if (phase_ == Phase::Verbatim && !longLine_ && carry_.empty()) {
      Out(std::string_view(p, end - p));
      break;
    }
    if (phase_ == Phase::Body && !longLine_ && carry_.empty() && held_.empty() &&
        removal_ == Removal::None && *p != '%' && *p != '[') {
      // Lines that open with anything else pass in one run, up to the next
      // line that might matter.
      const char* next = FindMarkedLineStart(p, end);
      if (!next) {
        Out(std::string_view(p, end - p));
        // Mid-line at the chunk's end: the rest of that line passes too.
        longLine_ = end[-1] != '\n' && end[-1] != '\r';
        break;
      }
      Out(std::string_view(p, next - p));
      p = next;
      continue;
    }
    const char* q = FindLineEnd(p, end);
    if (longLine_) {
      if (!q) {
        Out(std::string_view(p, end - p));
        break;
      }
      const char* e = q + 1;
      if (*q == '\r') {
        if (e == end) {
          longCr_ = true;
        } else if (*e == '\n') {
          ++e;
        }
      }
      Out(std::string_view(p, e - p));
      longLine_ = false;
      p = e;
      continue;
    }
    if (!q) {
      size_t n = end - p;
      if (carry_.size() + n <= kMaxLine) {
        carry_.append(p, n);
        break;
      }
      // Too long for a comment: decide on its head and pass the rest.
      size_t take = kMaxLine - carry_.size();
      if (carry_.empty()) {
        OnLine(std::string_view(p, take), true);
      } else {
        carry_.append(p, take);
        OnLine(carry_, true);
        carry_.clear();
      }
      p += take;
      longLine_ = true;
      continue;
    }
    const char* e = q + 1;
    bool crAtEnd = false;
    if (*q == '\r') {
      if (e == end) {
        crAtEnd = true;
      } else if (*e == '\n') {
        ++e;
      }
    }
    size_t lineSize = carry_.size() + (e - p);
    if (crAtEnd && lineSize <= kMaxLine) {
      // The LF of a CR LF may be the next chunk's first byte.
      carry_.append(p, e - p);
      crPending_ = true;
      break;
    }
    if (carry_.empty()) {
      OnLine(std::string_view(p, e - p), lineSize > kMaxLine);
    } else if (lineSize <= kMaxLine) {
      carry_.append(p, e - p);
      OnLine(carry_, false);
      carry_.clear();
    } else {
      OnLine(carry_, true);
      carry_.clear();
      Out(std::string_view(p, e - p));
    }
    longCr_ = crAtEnd;
    p = e;
  }
  FlushRun();
  chunkBegin_ = chunkEnd_ = nullptr;
  return !failed_;
}

bool PostScriptInserter::Finish() {
  if (crPending_ || (!carry_.empty() && !longLine_)) {
    crPending_ = false;
    std::string last = std::move(carry_);
    carry_.clear();
    OnLine(last, false);
  }
  longLine_ = longCr_ = false;
  if (removal_ != Removal::None) KeepRemoved("the job ends inside it");
  if (!held_.empty()) {
    std::string held = std::move(held_);
    held_.clear();
    Layout(Kind::Other, held);
  }
  switch (phase_) {
    case Phase::Header:
      InsertHeader();
      MakeSetup();
      break;
    case Phase::AfterHeader:
    case Phase::Prolog:
    case Phase::AfterProlog:
      MakeSetup();
      break;
    default:
      break;
  }
  FlushRun();
  if (!failed_ && !out_.Flush()) failed_ = true;
  return !failed_;
}
