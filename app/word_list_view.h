#pragma once

class QListView;

namespace lexivoce::app {

// Sets up the list view that shows the word list so that millions of words
// cost the window no freeze: rows of one height, and the rows laid out in
// batches between events after the list is refilled (one pass over 4.6
// million rows holds the event loop for a quarter of a second).
void ConfigureWordListView(QListView *view);

} // namespace lexivoce::app
