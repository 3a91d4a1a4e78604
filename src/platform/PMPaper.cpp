#include "platform/PMPaper.h"

#include <cups/ppd.h>

#include <memory>

PMPaper PMDefaultPaper() {
  PMPaper paper;
  paper.id = "na-letter";
  paper.name = "US Letter";
  paper.ppdName = "Letter";
  paper.width = 612;
  paper.height = 792;
  return paper;
}

std::vector<PMPaper> PMPaperListFromPPD(const std::string& ppdPath) {
  std::vector<PMPaper> papers;
  std::unique_ptr<ppd_file_t, decltype(&ppdClose)> ppd(ppdOpenFile(ppdPath.c_str()), &ppdClose);
  if (!ppd) return papers;
  ppd_option_t* pageSize = ppdFindOption(ppd.get(), "PageSize");
  for (int i = 0; i < ppd->num_sizes; ++i) {
    const ppd_size_t& size = ppd->sizes[i];
    // The custom size entry stands for a range, not a paper.
    if (std::string_view(size.name) == "Custom") continue;
    PMPaper paper;
    paper.id = size.name;
    paper.ppdName = size.name;
    paper.name = size.name;
    if (pageSize) {
      if (ppd_choice_t* choice = ppdFindChoice(pageSize, size.name); choice && choice->text[0]) {
        paper.name = choice->text;
      }
    }
    paper.width = size.width;
    paper.height = size.length;
    paper.margins.left = size.left;
    paper.margins.bottom = size.bottom;
    paper.margins.right = size.width - size.right;
    paper.margins.top = size.length - size.top;
    papers.push_back(std::move(paper));
  }
  return papers;
}

OSStatus PMPaperGetPPDPaperName(const PMPaper* paper, std::string* name) {
  if (!paper || !name) return kPMInvalidParameter;
  *name = paper->ppdName;
  return noErr;
}

OSStatus PMPaperGetName(const PMPaper* paper, std::string* name) {
  if (!paper || !name) return kPMInvalidParameter;
  *name = paper->name;
  return noErr;
}

OSStatus PMPaperGetWidth(const PMPaper* paper, double* width) {
  if (!paper || !width) return kPMInvalidParameter;
  *width = paper->width;
  return noErr;
}

OSStatus PMPaperGetHeight(const PMPaper* paper, double* height) {
  if (!paper || !height) return kPMInvalidParameter;
  *height = paper->height;
  return noErr;
}

OSStatus PMPaperGetMargins(const PMPaper* paper, PMPaperMargins* margins) {
  if (!paper || !margins) return kPMInvalidParameter;
  *margins = paper->margins;
  return noErr;
}
