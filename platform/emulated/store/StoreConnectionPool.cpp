#include "platform/emulated/store/StoreConnectionPool.h"

#include <pthread.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/emulated/store/StoreSession.h"

namespace platform::emulated {

namespace {

// Connections kept idle, for all servers together; one store call needs
// one, a process delivering on several threads one per thread.
constexpr size_t kMaxIdle = 8;

struct IdleConnection {
    std::string folder;
    std::shared_ptr<ServerDb> db;
};

// Connections a child process inherited by fork: never used and never
// closed there, since closing one could end the parent's use of the
// database's journal. They go with the process.
void Abandon(std::vector<IdleConnection>& idle) {
    static auto* abandoned = new std::vector<std::shared_ptr<ServerDb>>();
    for (IdleConnection& connection : idle)
        abandoned->push_back(std::move(connection.db));
    idle.clear();
}

// Counts the forks this process went through, as the child sees them.
std::atomic<unsigned> forks{0};

class ConnectionPool : public std::enable_shared_from_this<ConnectionPool> {
  public:
    ConnectionPool() {
        pthread_atfork(nullptr, nullptr, [] { forks.fetch_add(1); });
    }
    ~ConnectionPool() {
        if (forks.load() != forksSeen_)
            Abandon(idle_);
    }

    std::shared_ptr<ServerDb> Take(const std::string& folder) {
        std::shared_ptr<ServerDb> db;
        if (const std::optional<FileKey> file = ServerFileKeyOf(folder))
            db = TakeIdle(folder, *file);
        if (!db)
            db = OpenSharedServer(folder);
        return Lend(std::move(db), folder);
    }

  private:
    // A connection kept for the file the folder holds now; those of a file
    // it no longer holds (a server replaced) are closed.
    std::shared_ptr<ServerDb> TakeIdle(const std::string& folder, const FileKey& file) {
        std::lock_guard lock(mutex_);
        AdoptAfterFork();
        for (auto it = idle_.begin(); it != idle_.end();) {
            if (it->folder != folder) {
                ++it;
            } else if (it->db->File() == file) {
                std::shared_ptr<ServerDb> db = std::move(it->db);
                idle_.erase(it);
                return db;
            } else {
                it = idle_.erase(it);
            }
        }
        return nullptr;
    }

    // A handle whose end gives the connection back while the pool lasts.
    std::shared_ptr<ServerDb> Lend(std::shared_ptr<ServerDb> db, const std::string& folder) {
        ServerDb* raw = db.get();
        std::weak_ptr<ConnectionPool> pool = weak_from_this();
        return std::shared_ptr<ServerDb>(raw,
                                         [db = std::move(db), pool, folder](ServerDb*) mutable {
                                             if (auto alive = pool.lock())
                                                 alive->GiveBack(std::move(db), folder);
                                         });
    }

    // A connection whose file cannot be told, or that cannot leave its
    // transaction, is closed here and never lent again.
    void GiveBack(std::shared_ptr<ServerDb> db, const std::string& folder) {
        if (sqlite3_get_autocommit(db->handle()) == 0)
            sqlite3_exec(db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        if (sqlite3_get_autocommit(db->handle()) == 0 || !db->File())
            return;
        std::lock_guard lock(mutex_);
        AdoptAfterFork();
        if (idle_.size() < kMaxIdle)
            idle_.push_back(IdleConnection{folder, std::move(db)});
    }

    // A pool copied into a child process by fork starts empty there.
    void AdoptAfterFork() {
        if (forks.load() == forksSeen_)
            return;
        Abandon(idle_);
        forksSeen_ = forks.load();
    }

    std::mutex mutex_;
    unsigned forksSeen_ = forks.load();
    std::vector<IdleConnection> idle_;
};

}  // namespace

std::shared_ptr<ServerDb> TakePooledServer(const std::string& folder) {
    static const std::shared_ptr<ConnectionPool> pool = std::make_shared<ConnectionPool>();
    return pool->Take(folder);
}

}  // namespace platform::emulated
