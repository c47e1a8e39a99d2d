#pragma once

#include "remoterequest.h"

#include <QString>

// The OSC addresses the program obeys, one row each. Routing, the listing
// of --help-osc and the README's table of addresses all come from this
// table: adding an address is one row here and its handler in OscServer.
struct OscCommand
{
    // What follows the address.
    enum class Arguments {
        None,       // nothing
        Number,     // one number: int32, float, double or int64 (switches also T and F)
        Text,       // one string
        Channel,    // one whole number from 0 to ParameterCatalogue::ChannelCount - 1
        Subscribe,  // nothing, a port, or a port and the cookie
        PortCookie, // a port and the cookie
    };
    // Which parameters a row whose path holds NAME takes.
    enum class Names { None, All, Sliders };

    const char *path; // under the root; NAME stands for a parameter's remote name
    Names names;
    Arguments arguments;
    RemoteRequest::Kind kind;
    int cost;      // in the budget's units: a set costs 1
    bool queried;  // without arguments, a query of the current value
    const char *argumentsText;
    const char *does; // for the README, in its markdown

    static const char Root[];
    // A query costs this, whatever it asks for.
    static constexpr int QueryCost = 2;

    // Every row, for range-for.
    struct Rows
    {
        const OscCommand *first;
        const OscCommand *last;
        const OscCommand *begin() const { return first; }
        const OscCommand *end() const { return last; }
    };
    static Rows table();
    // The address of a row, under the root.
    QString address() const;

    // The listing of --help-osc: addresses, the subscription and the parameters.
    static QString help();
    // The README's tables of the addresses and of the parameters, in markdown.
    static QString markdown();
};
