#include "app/word_list_view.h"

#include <QListView>

namespace lexivoce::app {

namespace {

// Rows per batch: a few milliseconds of layout each.
constexpr int kLayoutBatch = 50000;

} // namespace

void ConfigureWordListView(QListView *view)
{
    view->setUniformItemSizes(true);
    view->setLayoutMode(QListView::Batched);
    view->setBatchSize(kLayoutBatch);
}

} // namespace lexivoce::app
