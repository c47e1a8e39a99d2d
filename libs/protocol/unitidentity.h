#pragma once

#include <cstddef>

// How a Prismo makes itself known: the parameters that say what it is and
// which units it knows of, besides those of the parameter table. The
// program, the simulated units and the link check take them from here.
// Needs no Qt, so the link check builds with it for Windows on its own.
struct UnitIdentity
{
    static constexpr char ProductIdParameter[] = "eParamID_ProductID";
    static constexpr char SystemNameParameter[] = "eParamID_SystemName";
    // Four bytes packed in one number, major first.
    static constexpr char SoftwareVersionParameter[] = "eParamID_SoftwareVersion";
    // 1: four video channels, 2: one 4K/UHD channel.
    static constexpr char ChannelModeParameter[] = "eParamID_ZyloMode";
    static constexpr char NetworkServicesParameter[] = "eParamID_NetworkServices";

    // A Prismo's product id; a unit that answers another is no Prismo.
    static constexpr char ProductId[] = "KVEL";
    // The kind ("device_name") the network-services list gives a Prismo.
    static constexpr char Kind[] = "Prismo";
    // The network-services list names every unit a unit knows of, so in a
    // large facility it is far longer than any single value.
    static constexpr std::size_t LongestServicesReply = 1 << 20;
};
