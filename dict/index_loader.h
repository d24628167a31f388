#pragma once

#include "dict/word_list.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace lexivoce::dict {

// Reads an index file for the word list without holding up the thread that
// asks: a large index is read on a thread of its own, and the words are
// handed over whole when they are all there; a small one is read at once.
class TIndexLoader : public QObject
{
    Q_OBJECT

public:
    // content is the words read; when the file could not be read it is
    // empty and error tells why.
    using TDone = std::function<void(TWordListContent content, const QString &error)>;

    explicit TIndexLoader(QObject *parent = nullptr);
    ~TIndexLoader() override;

    // Indexes up to this size are read before Start returns: a few
    // milliseconds of work, not worth a thread, and the caller goes on with
    // the words in place.
    qint64 InlineBytes = 2 * 1024 * 1024;

    // Reads the index at path and calls done with the result, before
    // returning for a small index, else later on this object's thread. A
    // load under way is stopped first and its done is never called.
    void Start(const QString &path, TDone done);

    // Stops a load under way; its done is never called.
    void Stop();

    bool Busy() const { return m_worker.joinable(); }

private:
    void Finish(std::uint64_t generation, std::shared_ptr<TWordListContent> content, const QString &error);

    std::thread m_worker;
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::uint64_t m_generation = 0;
    TDone m_done;
};

} // namespace lexivoce::dict
