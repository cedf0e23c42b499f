// The documents that bench_peers reads, built in memory so that every run reads the same bytes.
#ifndef BENCH_PEERS_DOCUMENTS_H
#define BENCH_PEERS_DOCUMENTS_H

#include <string>

namespace peers {

// A Flash call whose arguments cycle through a number, a string, an array and an object (also
// the call bench/flash_scale.cpp times).
std::string make_flash_call(unsigned arguments);

// A settings document with the given number of plugins (most of them with several values, some
// empty) and as many parameters, split between the web and the non-permanent settings.
std::string make_settings_document(unsigned plugins);

// A settings document of the given number of plugins, each only its name: small elements whose
// objects keep all their defaults.
std::string make_empty_plugins_document(unsigned plugins);

// A toolbar of the given number of buttons, each with its commands, image and notification,
// with a separator after every tenth.
std::string make_toolbar_document(unsigned buttons);

// An emoticon whose content lists the given number of resources, with filters on every third.
std::string make_resources_document(unsigned resources);

// A command set of the given number of client commands of a few kinds, every fifth a web command.
std::string make_commands_document(unsigned commands);

// A local messages document of the given number of message dialogs with one to three buttons.
std::string make_local_messages_document(unsigned messages);

}  // namespace peers

#endif  // BENCH_PEERS_DOCUMENTS_H
