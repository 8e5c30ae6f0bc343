#pragma once

// The show's OSC destinations as a list model: one row per CL::NetworkPath,
// shown as its name and "address:port, MODE", with the roles "name",
// "ipAddress", "networkId", "mode" and "port" on top of the base's three.
//
// Threads: GUI thread only; no locking.

#include <QString>

#include <memory>

#include "CL/Properties.h"
#include "ui/DualRoledListModel.h"

namespace vand {

class NetworkItem : public DualRoleItem
{
public:
    NetworkItem() = default;

    // The name.
    QString first() const override;
    // "<ipAddress>:<port>, <MODE>", e.g. "127.0.0.1:8001, UDP".
    QString second() const override;

    int port = 8001;
    QString name = QStringLiteral("Network Destination");
    QString ipAddress = QStringLiteral("127.0.0.1");
    QString networkId;
    QString mode = QStringLiteral("udp"); // "udp" or "tcp"
};

class NetworkListModel : public DualRoledListModel
{
    Q_OBJECT
public:
    enum NetworkRoles {
        NameRole = 260,
        IpAddressRole,
        NetworkIdRole,
        ModeRole,
        PortRole,
    };

    static constexpr int kMinPort = 1;
    static constexpr int kMaxPort = 65535;

    // One row per destination, in the show's order. No Qt parent: the
    // creator owns the model.
    explicit NetworkListModel(const CL::NetworkPathVectorT& networks);

    QVariant data(const QModelIndex& index, int role) const override;
    // A port (role 264) must be a whole number from 1 to 65535; anything else
    // is refused (false, nothing changes).
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    void AddNetwork(std::shared_ptr<NetworkItem> item);
    // The row's item, or null for a row outside the model.
    std::shared_ptr<NetworkItem> ItemAt(int row) const;
    // Announces that every role of the row changed; a row outside the model
    // does nothing.
    void NotifyRowChanged(int row);
    // "NETWORK<n>": n starts at the row count and grows past every taken id.
    QString GetNextNetworkId() const;

    // The rows as the show's records, in row order; mode "tcp" (exactly) is
    // TCP, anything else UDP.
    CL::NetworkPathVectorT ToNetworkPaths();

    // The port a value stands for when it is a whole number from 1 to 65535;
    // a text must be decimal digits (blanks around them allowed).
    static bool ReadPort(const QVariant& value, int* port);
};

} // namespace vand
