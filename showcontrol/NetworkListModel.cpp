#include "showcontrol/NetworkListModel.h"

#include <cmath>

namespace vand {

namespace {

constexpr int kModeTcp = 1;
constexpr int kModeUdp = 0;

} // namespace

QString NetworkItem::first() const
{
    return name;
}

QString NetworkItem::second() const
{
    return ipAddress + QLatin1Char(':') + QString::number(port) + QStringLiteral(", ") + mode.toUpper();
}

NetworkListModel::NetworkListModel(const CL::NetworkPathVectorT& networks)
    : DualRoledListModel(nullptr)
{
    for (const CL::NetworkPath& path : networks) {
        auto item = std::make_shared<NetworkItem>();
        item->name = QString::fromStdString(path.Name());
        item->ipAddress = QString::fromStdString(path.IpAddress());
        item->port = path.Port;
        item->networkId = QString::fromStdString(path.NetworkId());
        item->mode = path.Mode == kModeTcp ? QStringLiteral("tcp") : QStringLiteral("udp");
        item->value = 0;
        AddItem(std::move(item));
    }
}

std::shared_ptr<NetworkItem> NetworkListModel::ItemAt(int row) const
{
    if (row < 0 || row >= items.size())
        return nullptr;
    return std::dynamic_pointer_cast<NetworkItem>(items.at(row));
}

QVariant NetworkListModel::data(const QModelIndex& index, int role) const
{
    const std::shared_ptr<NetworkItem> item = ItemAt(index.row());
    if (!item)
        return {};
    switch (role) {
    case NameRole:
        return item->name;
    case IpAddressRole:
        return item->ipAddress;
    case NetworkIdRole:
        return item->networkId;
    case ModeRole:
        return item->mode;
    case PortRole:
        return item->port;
    default:
        return DualRoledListModel::data(index, role);
    }
}

bool NetworkListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const std::shared_ptr<NetworkItem> item = ItemAt(index.row());
    if (!item)
        return false;
    switch (role) {
    case NameRole:
        item->name = value.toString();
        break;
    case IpAddressRole:
        item->ipAddress = value.toString();
        break;
    case NetworkIdRole:
        item->networkId = value.toString();
        break;
    case ModeRole:
        item->mode = value.toString();
        break;
    case PortRole:
        if (!ReadPort(value, &item->port))
            return false;
        break;
    default:
        return DualRoledListModel::setData(index, value, role);
    }
    emit dataChanged(index, index, {role});
    return true;
}

QHash<int, QByteArray> NetworkListModel::roleNames() const
{
    QHash<int, QByteArray> names = DualRoledListModel::roleNames();
    names.insert(NameRole, QByteArrayLiteral("name"));
    names.insert(IpAddressRole, QByteArrayLiteral("ipAddress"));
    names.insert(NetworkIdRole, QByteArrayLiteral("networkId"));
    names.insert(ModeRole, QByteArrayLiteral("mode"));
    names.insert(PortRole, QByteArrayLiteral("port"));
    return names;
}

void NetworkListModel::AddNetwork(std::shared_ptr<NetworkItem> item)
{
    AddItem(std::move(item));
}

void NetworkListModel::NotifyRowChanged(int row)
{
    if (row < 0 || row >= items.size())
        return;
    const QModelIndex at = index(row, 0);
    emit dataChanged(at, at, {});
}

QString NetworkListModel::GetNextNetworkId() const
{
    for (qsizetype n = items.size();; ++n) {
        const QString candidate = QStringLiteral("NETWORK") + QString::number(n);
        bool taken = false;
        for (qsizetype row = 0; row < items.size() && !taken; ++row) {
            const auto item = ItemAt(static_cast<int>(row));
            taken = item && item->networkId == candidate;
        }
        if (!taken)
            return candidate;
    }
}

CL::NetworkPathVectorT NetworkListModel::ToNetworkPaths()
{
    CL::NetworkPathVectorT paths;
    for (int row = 0; row < rowCount(); ++row) {
        CL::NetworkPath path;
        path.Name(dataStr(row, QStringLiteral("name")).toString().toStdString());
        path.NetworkId(dataStr(row, QStringLiteral("networkId")).toString().toStdString());
        path.Port = dataStr(row, QStringLiteral("port")).toInt();
        path.IpAddress(dataStr(row, QStringLiteral("ipAddress")).toString().toStdString());
        path.Mode = dataStr(row, QStringLiteral("mode")).toString() == QLatin1String("tcp") ? kModeTcp : kModeUdp;
        paths.push_back(std::move(path));
    }
    return paths;
}

bool NetworkListModel::ReadPort(const QVariant& value, int* port)
{
    double number = 0;
    if (value.typeId() == QMetaType::QString) {
        // Digits only: "0x10", "+5" or "1e3" are not port texts.
        const QString text = value.toString().trimmed();
        if (text.isEmpty() || text.size() > 5)
            return false;
        for (const QChar c : text) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        number = text.toInt();
    } else {
        if (value.typeId() == QMetaType::Bool)
            return false;
        bool ok = false;
        number = value.toDouble(&ok);
        if (!ok || !std::isfinite(number) || number != std::floor(number))
            return false;
    }
    if (number < kMinPort || number > kMaxPort)
        return false;
    *port = static_cast<int>(number);
    return true;
}

} // namespace vand
