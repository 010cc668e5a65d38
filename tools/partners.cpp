#include "partners.h"

#include "contractrules.h"
#include "generatorwords.h"

namespace Generator {

std::vector<Partner> makePartners(Random& r, int count) {
    std::vector<Partner> out;
    int customers = 0, suppliers = 0;
    constexpr int nCities = int(std::size(Cities)), nBrands = int(std::size(Brands)),
                  nTrades = int(std::size(Trades));
    for (int i = 0; i < count; ++i) {
        const City& city = Cities[i % nCities];
        const char* brand = Brands[(i / nCities) % nBrands];
        const char* trade = Trades[(i / (nCities * nBrands) + i) % nTrades];
        Partner p;
        p.name = s(city.name) + s(brand) + s(trade) + s("有限公司");
        if (const int round = i / (nCities * nBrands * nTrades); round > 0)
            p.name += s("第%1分公司").arg(round);
        p.shortName = s(brand) + s(trade);
        p.contact = personName(r);
        p.phone = s(city.areaCode) + u'-' + QString::number(r.between(50000000, 89999999));
        p.address =
            s(city.street) + QString::number(r.between(1, 999)) + s("号 ") + s(city.postcode);
        // Three in five are customers, one in five a supplier, one in five both.
        const int role = i % 5;
        p.customer = role != 3;
        p.supplier = role >= 3;
        p.number = p.customer ? s("KH%1").arg(++customers, 3, 10, QChar(u'0'))
                              : s("GY%1").arg(++suppliers, 3, 10, QChar(u'0'));
        out.push_back(p);
    }
    return out;
}

std::vector<Partner> demoPartners() {
    std::vector<Partner> out;
    int customers = 0, suppliers = 0;
    for (const DemoPartner& d : DemoPartners) {
        Partner p{QString(),    s(d.name),      s(d.contact), s(d.phone),
                  s(d.address), s(d.shortName), d.customer,   d.supplier};
        p.number = d.customer ? s("KH%1").arg(++customers, 3, 10, QChar(u'0'))
                              : s("GY%1").arg(++suppliers, 3, 10, QChar(u'0'));
        out.push_back(p);
    }
    return out;
}

PartnerPools::PartnerPools(const std::vector<Partner>& partners) {
    for (int i = 0; i < int(partners.size()); ++i) {
        if (partners[size_t(i)].customer)
            byDirection[0].push_back(i);
        if (partners[size_t(i)].supplier)
            byDirection[1].push_back(i);
        byDirection[2].push_back(i);
    }
    for (auto& pool : byDirection)
        if (pool.empty())
            pool = byDirection[2];
}

} // namespace Generator
