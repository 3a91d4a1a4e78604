// TEMPORARY (never committed): stand-ins until the view model and the
// panel data's output land.
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/QZVPPD.h"
#include "panel/PDEData.h"
#include "panel/QZVJobTicket.h"
#include "panel/QZVWatermark.h"
#include "panel/UI_Panel.h"
#include "platform/PMPrintSettings.h"
PPDTree UI_Panel::Tree;
static int64_t gStubCount = 0;
UI_Panel::UI_Panel(PDEData* d, QuickAccessPane* p, AddressController* a)
    : pdeData(d), customizePane(p), bonjourController(a) { Tree.Clear(); Tree.AddGroup(CFString::FromUTF8("G"), "G"); }
UI_Panel::~UI_Panel() = default;
void UI_Panel::ResetControlsToDefault() {
  CNTL_TYPE t;
  for (PPDXControl* c = pdeData->ppd->GetControls()->First(t); c; c = pdeData->ppd->GetControls()->Next(t))
    c->ResetToDefaultValue();
}
void UI_Panel::makeJobNotesForSpecialControls() {}
bool UI_Panel::GetOSPageSize() { return false; }
void UI_Panel::Show() {}
void UI_Panel::DrawUserPane() {}
bool UI_Panel::GetWatermarks(SharedMemoryList*) {
  if (pdeData->watermarks->count == 0) {
    for (int i = 0; i < 5; ++i) pdeData->watermarks->items[i] = std::make_unique<QZVWatermark>("DRAFT,Helvetica,72,45,0.5,0.5,0.5,0,1,1");
    pdeData->watermarks->count = 5;
  }
  return true;
}
int PDEData::OutPostscriptData(QZVJobTicket& ticket, PMPrintSession*) {
  SuppressApplePostscript(ticket);
  CNTL_TYPE t;
  for (PPDXControl* c = ppd->GetControls()->First(t); c; c = ppd->GetControls()->Next(t)) ticket.Add(static_cast<PostScriptInjectionSite>(81), c);
  return 0;
}
void PDEData::SuppressApplePostscript(QZVJobTicket& ticket) {
  CNTL_TYPE t;
  for (PPDXControl* c = ppd->GetControls()->First(t); c; c = ppd->GetControls()->Next(t))
    if (c->Keyword() && std::string(c->Keyword()) != "*PageSize") ticket.Add(static_cast<PostScriptInjectionSite>(-9), c->Keyword(), strlen(c->Keyword()));
}
