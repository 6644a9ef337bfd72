#include <algorithm>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/Activation.h"
#include "platform/Text.h"
#include "platform/emulated/store/StoreValues.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/Output.h"

namespace lab {

namespace {

struct DeliverOptions {
    std::string address;
    std::optional<int32_t> scl;
    std::vector<std::string> keywords;
    std::optional<std::string> keywordsText;
    std::optional<std::string> comments;
    std::string subject = "Test message";
    std::string folder;
    std::optional<int64_t> count;
    int threads = 1;
    bool json = false;
};

struct DeleteOptions {
    std::string address;
    std::string subject;
    std::string folder;
};

struct ShowOptions {
    std::string address;
    std::string folder;
    bool json = false;
};

// The URL of the mailbox's folder at path (relative to the mailbox root),
// or of its Inbox, whatever its name, when no path is given.
std::string FolderUrl(Lab& lab, const std::string& address, const std::string& path) {
    auto mailbox = lab.Store().FindMailbox(address);
    if (!mailbox)
        throw LabError("no mailbox " + address);
    if (path.empty()) {
        if (mailbox->inboxUrl.empty())
            throw LabError("the mailbox " + address + " has no Inbox");
        return mailbox->inboxUrl;
    }
    std::string wanted = platform::emulated::JoinPath(platform::emulated::SplitPath(path),
                                                      platform::emulated::SplitPath(path).size());
    for (const auto& folder : lab.Store().Folders(address)) {
        if (platform::text::EqualsNoCase(folder.path, wanted))
            return folder.url;
    }
    throw LabError("the mailbox " + address + " has no folder \"" + path + "\"");
}

void PrintMessages(const std::vector<MessageView>& messages, bool json) {
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const MessageView& message : messages)
            list.push_back(MessageJson(message));
        PrintJson(std::cout, list);
        return;
    }
    MessageTable(messages).Print(std::cout);
}

platform::emulated::DeliveredMessage MessageOf(const DeliverOptions& options) {
    platform::emulated::DeliveredMessage message;
    message.subject = options.subject;
    message.scl = options.scl;
    message.comments = options.comments;
    if (!options.keywords.empty())
        message.keywords = platform::Variant::StringArray(options.keywords);
    else if (options.keywordsText)
        message.keywords = platform::Variant(*options.keywordsText);
    return message;
}

// count messages on each of the threads of this one process, as the store
// delivers all day on several threads: the sinks' libraries stay loaded in
// between, with what they keep. Each thread has a store connection of its
// own.
void RunDeliverMany(Lab& lab, const std::string& folderUrl, const DeliverOptions& options) {
    const platform::emulated::DeliveredMessage message = MessageOf(options);
    std::vector<std::vector<std::string>> delivered(static_cast<size_t>(options.threads));
    std::vector<std::exception_ptr> failures(delivered.size());
    std::vector<std::thread> threads;
    for (size_t thread = 0; thread < delivered.size(); ++thread) {
        threads.emplace_back([&, thread] {
            try {
                platform::emulated::StoreModel store(
                    platform::emulated::ServerDb::Open(lab.ServerFolder()),
                    platform::SystemActivation());
                for (int64_t number = 0; number < *options.count; ++number)
                    delivered[thread].push_back(store.Deliver(folderUrl, message));
            } catch (...) {
                failures[thread] = std::current_exception();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
    if (!options.json) {
        std::cout << "Delivered " << *options.count * options.threads << " messages into "
                  << folderUrl << '\n';
        return;
    }
    std::vector<MessageView> views;
    for (const auto& urls : delivered) {
        for (const std::string& url : urls)
            views.push_back(ViewMessage(lab.Store().ReadItem(url)));
    }
    PrintMessages(views, true);
}

void RunDeliver(Lab& lab, const DeliverOptions& options) {
    if (options.count && *options.count < 1)
        throw LabError("--count must be 1 or more");
    if (options.threads < 1)
        throw LabError("--threads must be 1 or more");
    if (options.threads > 1 && !options.count)
        throw LabError("--threads goes with --count");
    std::string folderUrl = FolderUrl(lab, options.address, options.folder);
    if (options.count) {
        RunDeliverMany(lab, folderUrl, options);
        return;
    }
    std::string url = lab.Store().Deliver(folderUrl, MessageOf(options));
    MessageView stored = ViewMessage(lab.Store().ReadItem(url));
    if (options.json) {
        PrintJson(std::cout, MessageJson(stored));
        return;
    }
    std::cout << "Delivered " << stored.url << '\n';
    MessageTable({stored}).Print(std::cout);
}

// The folder's messages, oldest first.
std::vector<platform::emulated::StoredItem> MessagesOf(Lab& lab, const std::string& folderUrl) {
    auto items = lab.Store().Items(folderUrl);
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    std::erase_if(items, [](const platform::emulated::StoredItem& item) {
        auto contentClass = item.properties.Get(platform::emulated::property::kContentClass);
        return contentClass.AppendToEmptyString() != platform::emulated::content_class::kMessage;
    });
    return items;
}

void RunShow(Lab& lab, const ShowOptions& options) {
    std::vector<MessageView> messages;
    for (const auto& item : MessagesOf(lab, FolderUrl(lab, options.address, options.folder)))
        messages.push_back(ViewMessage(item));
    PrintMessages(messages, options.json);
}

// Deletes the oldest message of that subject as the store does, running
// the synchronous delete events.
void RunDelete(Lab& lab, const DeleteOptions& options) {
    const std::string folderUrl = FolderUrl(lab, options.address, options.folder);
    for (const auto& item : MessagesOf(lab, folderUrl)) {
        if (ViewMessage(item).subject == options.subject) {
            lab.Store().DeleteItem(item.url);
            std::cout << "Deleted " << item.url << '\n';
            return;
        }
    }
    throw LabError("no message with the subject \"" + options.subject + "\" in " + folderUrl);
}

void AddDeliver(CLI::App& app, Lab& lab) {
    auto options = std::make_shared<DeliverOptions>();
    CLI::App* deliver = app.add_subcommand(
        "deliver",
        "Deliver one message (or --count of them) as the store does, running the synchronous "
        "events");
    deliver->add_option("ADDRESS", options->address, "The mailbox")->required();
    deliver->add_option("--scl", options->scl,
                        "The content filter's rating (without it the message has no SCL)");
    auto* keyword = deliver->add_option("--keyword", options->keywords,
                                        "A keyword; repeat for a list, kept in order");
    keyword->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    deliver
        ->add_option("--keywords-text", options->keywordsText,
                     "Keywords as one text value that is not a list")
        ->excludes(keyword);
    deliver->add_option("--comments", options->comments, "The message's comments");
    deliver->add_option("--subject", options->subject, "The subject")->capture_default_str();
    deliver->add_option("--folder", options->folder,
                        "Folder path below the mailbox root (default: the Inbox)");
    deliver->add_option("--count", options->count,
                        "Deliver that many such messages from this one process and print how "
                        "many (with --json: the list of them)");
    deliver->add_option("--threads", options->threads,
                        "With --count: deliver that many on each of so many threads at once");
    deliver->add_flag("--json", options->json, "Print JSON");
    deliver->callback(
        [&lab, options] { lab.Select([&lab, options] { RunDeliver(lab, *options); }); });
}

void AddDelete(CLI::App& app, Lab& lab) {
    auto options = std::make_shared<DeleteOptions>();
    CLI::App* remove = app.add_subcommand(
        "delete", "Delete a message as the store does, running the synchronous events");
    remove->add_option("ADDRESS", options->address, "The mailbox")->required();
    remove
        ->add_option("--subject", options->subject,
                     "The message's subject (the oldest of several goes)")
        ->required();
    remove->add_option("--folder", options->folder,
                       "Folder path below the mailbox root (default: the Inbox)");
    remove->callback(
        [&lab, options] { lab.Select([&lab, options] { RunDelete(lab, *options); }); });
}

void AddShow(CLI::App& app, Lab& lab) {
    auto options = std::make_shared<ShowOptions>();
    CLI::App* show = app.add_subcommand("show", "Show a folder's messages, oldest first");
    show->add_option("ADDRESS", options->address, "The mailbox")->required();
    show->add_option("--folder", options->folder,
                     "Folder path below the mailbox root (default: the Inbox)");
    show->add_flag("--json", options->json, "Print JSON");
    show->callback([&lab, options] { lab.Select([&lab, options] { RunShow(lab, *options); }); });
}

}  // namespace

void AddMessageCommands(CLI::App& app, Lab& lab) {
    AddDeliver(app, lab);
    AddDelete(app, lab);
    AddShow(app, lab);
}

}  // namespace lab
