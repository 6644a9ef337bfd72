#include <iostream>
#include <memory>
#include <vector>

#include "platform/Activation.h"
#include "platform/ComError.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/Output.h"

namespace lab {

namespace {

struct InvokeOptions {
    std::string progId;
    std::string method;
    std::vector<std::string> arguments;
};

struct RegsvrOptions {
    bool unregister = false;
    std::string library;
};

// Creates the class and calls the method late-bound, each argument a string
// by reference, as the setup program calls the sink. The result is printed
// as it is, error lines included: only a call that cannot be made fails.
void RunInvoke(const InvokeOptions& options) {
    auto object = platform::SystemActivation().CreateObject(options.progId);
    platform::Dispatch* dispatch = object->AsDispatch();
    if (dispatch == nullptr) {
        throw platform::ComError(platform::hresult::E_NOINTERFACE,
                                 options.progId + " has no automation interface");
    }
    std::vector<platform::DispArg> arguments;
    for (const std::string& argument : options.arguments)
        arguments.push_back({argument, true});
    platform::Variant result = dispatch->Invoke(options.method, arguments);
    std::cout << VariantText(result) << '\n';
}

void RunRegsvr(const RegsvrOptions& options) {
    const char* entry = options.unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto call = platform::SystemActivation().BindExport(options.library, entry);
    int32_t result = call();
    if (result < 0)
        throw platform::ComError(result, std::string(entry) + " in " + options.library + " failed");
    std::cout << entry << " in " << options.library << " succeeded.\n";
}

}  // namespace

void AddComCommands(CLI::App& app, Lab& lab) {
    auto invokeOptions = std::make_shared<InvokeOptions>();
    CLI::App* invoke = app.add_subcommand(
        "invoke", "Create a class by ProgID and call a method late-bound with string arguments");
    invoke->add_option("PROGID", invokeOptions->progId, "The class's ProgID")->required();
    invoke->add_option("METHOD", invokeOptions->method, "The member name")->required();
    invoke->add_option("ARG", invokeOptions->arguments, "String arguments, in order");
    invoke->callback(
        [&lab, invokeOptions] { lab.Select([invokeOptions] { RunInvoke(*invokeOptions); }); });

    auto regsvrOptions = std::make_shared<RegsvrOptions>();
    CLI::App* regsvr = app.add_subcommand(
        "regsvr", "Call a library's DllRegisterServer (or DllUnregisterServer with -u)");
    regsvr->add_flag("-u,--unregister", regsvrOptions->unregister, "Unregister");
    regsvr->add_option("LIBRARY", regsvrOptions->library, "The library file")->required();
    regsvr->callback(
        [&lab, regsvrOptions] { lab.Select([regsvrOptions] { RunRegsvr(*regsvrOptions); }); });
}

}  // namespace lab
