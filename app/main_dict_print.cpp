// Printing the entry on screen or every entry of the history, with a footer
// on each page, on the default printer.
#include "app/main_dict.h"

#include "dialogs/message_dialog.h"
#include "dict/entry_renderer.h"
#include "dict/word_list.h"
#include "lang/messages.h"
#include "view/entry_styles.h"
#include "view/styled_print.h"
#include "view/styled_view.h"

#include <QAction>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace lexivoce::app {

namespace {

// The name the job is spooled under.
constexpr char kPrintJobTitle[] = "Lexivoce printing...";

} // namespace

std::unique_ptr<QPrinter> DefaultPrinter()
{
    // Qt gives a printer object even where there is none to print on: a job
    // on it would vanish, so no default printer means no printer.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

void TfrmMainDict::mnuPrintCurrentClick(QAction *sender)
{
    const bool all = sender != nullptr && sender->property("tag").toInt() != 0;
    std::unique_ptr<view::TStyledDocument> everyEntry;
    const view::TStyledDocument *document = rvMeaning->Document();
    if (all) {
        if (History.Count() == 0) {
            dialogs::ShowMessageDialog(Message(lang::MSG06), Message(lang::MSG07), dialogs::mtError, dialogs::mbOK,
                                       spInterface, Localizer());
            return;
        }
        if (dialogs::ShowMessageDialog(Message(lang::MSG08), Message(lang::MSG09), dialogs::mtInformation,
                                       dialogs::mbYes | dialogs::mbNo, spInterface, Localizer())
            != dialogs::mrYes)
            return;
        everyEntry = std::make_unique<view::TStyledDocument>();
        everyEntry->SetStyles(rvMeaning->Document()->Styles());
        // In the order looked up; a word looked up twice is printed twice.
        for (int i = 0; i < History.Count(); ++i) {
            const std::optional<THistory::TItem> item = History.At(i);
            const QByteArray entry = Dictionary.DictFile.ReadEntry(item->Location);
            // An entry the index no longer leads to is left out, not printed
            // under the wrong word.
            if (!dict::IsEntryOf(entry, item->Word)) {
                OfferIndexRebuild(item->Word);
                continue;
            }
            dict::RenderEntry(*everyEntry, entry);
        }
        document = everyEntry.get();
    }
    if (document->ItemCount() == 0) {
        SpeakMessage(lang::MSG32);
        return;
    }

    view::TStyledDocument footer;
    footer.SetStyles(rvMeaning->Document()->Styles());
    footer.AddText(Message(lang::MSG10), view::tsFooter, view::psFooter);

    const std::unique_ptr<QPrinter> printer = MakePrinter ? MakePrinter() : DefaultPrinter();
    if (!printer) {
        dialogs::ShowMessageDialog(Message(lang::MSG33), Message(lang::MSG07), dialogs::mtError, dialogs::mbOK,
                                   spInterface, Localizer());
        return;
    }
    printer->setDocName(QString::fromLatin1(kPrintJobTitle));
    printer->setCopyCount(1);
    printer->setCollateCopies(false);

    view::TStyledPrint print;
    print.LeftMarginMm = 20;
    print.RightMarginMm = 20;
    print.TopMarginMm = 10;
    print.BottomMarginMm = 10;
    print.FooterYMm = 10;
    print.AssignSource(*document);
    print.SetFooter(footer);
    if (!print.Print(*printer) || printer->printerState() == QPrinter::Error) {
        dialogs::ShowMessageDialog(FormatMessage(Message(lang::MSG34), printer->printerName()), Message(lang::MSG07),
                                   dialogs::mtError, dialogs::mbOK, spInterface, Localizer());
        return;
    }
    // The job is out of sight and out of hearing: say that it went.
    SpeakMessage(lang::MSG35, QString::number(print.PagesCount()));
}

} // namespace lexivoce::app
