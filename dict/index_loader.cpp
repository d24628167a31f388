#include "dict/index_loader.h"

#include "lang/error.h"

#include <QFileInfo>
#include <QMetaObject>

namespace lexivoce::dict {

TIndexLoader::TIndexLoader(QObject *parent)
    : QObject(parent)
{
}

TIndexLoader::~TIndexLoader()
{
    Stop();
}

void TIndexLoader::Stop()
{
    ++m_generation; // a result already posted is dropped on arrival
    m_done = nullptr;
    if (m_worker.joinable()) {
        m_stop->store(true, std::memory_order_relaxed);
        m_worker.join();
    }
}

void TIndexLoader::Start(const QString &path, TDone done)
{
    Stop();
    if (QFileInfo(path).size() <= InlineBytes) {
        TWordListContent content;
        QString error;
        try {
            ReadIndex(path, content);
        } catch (const Error &e) {
            content = TWordListContent();
            error = e.message();
        }
        done(std::move(content), error);
        return;
    }
    m_done = std::move(done);
    m_stop = std::make_shared<std::atomic<bool>>(false);
    const std::uint64_t generation = m_generation;
    m_worker = std::thread([this, path, generation, stop = m_stop] {
        auto content = std::make_shared<TWordListContent>();
        QString error;
        try {
            if (!ReadIndex(path, *content, stop.get()))
                return;
        } catch (const Error &e) {
            *content = TWordListContent();
            error = e.message();
        } catch (const std::bad_alloc &) {
            *content = TWordListContent();
            error = QStringLiteral("Not enough memory to read the index file \"%1\".").arg(path);
        }
        // This object outlives the thread (Stop joins it); the call is
        // queued to its thread.
        QMetaObject::invokeMethod(
            this, [this, generation, content, error] { Finish(generation, content, error); }, Qt::QueuedConnection);
    });
}

void TIndexLoader::Finish(std::uint64_t generation, std::shared_ptr<TWordListContent> content, const QString &error)
{
    if (generation != m_generation)
        return;
    if (m_worker.joinable())
        m_worker.join(); // it has posted its result and is ending
    TDone done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(std::move(*content), error);
}

} // namespace lexivoce::dict
