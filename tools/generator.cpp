#include "generator.h"

#include "data/currency.h"
#include "data/database.h"
#include "data/schema.h"

#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <vector>

namespace {

// ---------------------------------------------------------------- randomness

// SplitMix64: small, fast and the same on every platform and library (unlike the standard
// distributions), so a seed gives the same register everywhere.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint64_t next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 <= result < n.
    int below(int n) { return n <= 0 ? 0 : int(next() % uint64_t(n)); }
    // lo <= result <= hi.
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <class List> const auto& pick(const List& list) {
        return list[size_t(below(int(std::size(list))))];
    }

private:
    uint64_t m_state;
};

QString s(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QVariant nullText() {
    return QVariant(QMetaType(QMetaType::QString));
}
QVariant textOrNull(const QString& text) {
    return text.isEmpty() ? nullText() : QVariant(text);
}
QVariant dateOrNull(const QDate& d) {
    return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : nullText();
}
QVariant money(Currency c) {
    return QVariant(qlonglong(c.units()));
}

Currency yuan(int64_t whole, int cents = 0) {
    return Currency::fromUnits(whole * Currency::Scale + cents * 100);
}

// ---------------------------------------------------------------- fixed data

const char* const OurCompany = "杭州勤泰商贸有限公司";

struct DemoPartner {
    const char* name;
    const char* shortName;
    const char* contact;
    const char* phone;
    const char* address;
    bool customer;
    bool supplier;
};

// Customers (numbered KH..., some of them suppliers too), then suppliers only (GY...).
const DemoPartner DemoPartners[] = {
    {"北京华信科技有限公司", "华信科技", "王建国", "010-62581234",
     "北京市海淀区中关村大街27号 100080", true, false},
    {"上海东方精密机械有限公司", "东方精机", "李明", "021-58763310",
     "上海市浦东新区张江路1288号 201203", true, false},
    {"广州南粤贸易有限公司", "南粤贸易", "陈志强", "020-87654321",
     "广州市天河区体育西路103号 510620", true, true},
    {"深圳宏达电子有限公司", "宏达电子", "张丽", "0755-26781122",
     "深圳市南山区科技园南区18栋 518057", true, false},
    {"杭州西湖建设集团有限公司", "西湖建设", "赵永刚", "0571-87012345",
     "杭州市西湖区文三路90号 310012", true, false},
    {"南京金陵化工股份有限公司", "金陵化工", "孙海燕", "025-84561234",
     "南京市鼓楼区中山北路200号 210009", true, true},
    {"武汉长江物流有限公司", "长江物流", "周伟", "027-85432100", "武汉市江汉区建设大道568号 430022",
     true, true},
    {"成都天府软件有限公司", "天府软件", "吴静", "028-85123456",
     "成都市高新区天府大道中段1号 610041", true, false},
    {"天津滨海重工有限公司", "滨海重工", "郑国华", "022-25321234",
     "天津市滨海新区第三大街51号 300457", true, false},
    {"重庆山城汽车配件有限公司", "山城汽配", "冯晓东", "023-68001234",
     "重庆市九龙坡区渝州路33号 400039", true, false},
    {"西安秦川医药有限公司", "秦川医药", "何敏", "029-88321456", "西安市雁塔区高新路52号 710075",
     true, false},
    {"苏州恒通纺织有限公司", "恒通纺织", "许文华", "0512-62583399",
     "苏州工业园区星湖街328号 215123", true, true},
    {"青岛海润食品有限公司", "海润食品", "马丽娟", "0532-85901234",
     "青岛市市南区香港中路61号 266071", true, false},
    {"厦门鹭岛进出口有限公司", "鹭岛进出口", "林志伟", "0592-5051234",
     "厦门市思明区湖滨南路388号 361004", true, false},
    {"长沙湘江新材料有限公司", "湘江新材", "黄建军", "0731-84561122",
     "长沙市岳麓区麓谷大道627号 410205", true, true},
    {"郑州中原电力设备有限公司", "中原电力", "刘红梅", "0371-67891234",
     "郑州市金水区花园路39号 450008", true, false},
    {"合肥徽商百货有限公司", "徽商百货", "高峰", "0551-62881234", "合肥市庐阳区长江中路98号 230001",
     true, false},
    {"沈阳北方机床有限公司", "北方机床", "韩冬", "024-23451234", "沈阳市铁西区北二中路15号 110021",
     true, false},
    {"济南泉城建材有限公司", "泉城建材", "曹宇", "0531-86051234", "济南市历下区经十路11号 250014",
     true, true},
    {"宁波港城实业有限公司", "港城实业", "蒋丽", "0574-87301234",
     "宁波市鄞州区天童南路588号 315100", true, false},
    {"无锡太湖钢铁有限公司", "太湖钢铁", "沈国强", "0510-82701234",
     "无锡市滨湖区太湖大道2000号 214072", false, true},
    {"佛山顺德五金制品厂", "顺德五金", "梁志华", "0757-22381234",
     "佛山市顺德区大良南国东路8号 528300", false, true},
    {"东莞永盛包装材料有限公司", "永盛包装", "罗小梅", "0769-22451234",
     "东莞市南城区鸿福路106号 523071", false, true},
    {"温州瓯江阀门有限公司", "瓯江阀门", "叶建新", "0577-88901234",
     "温州市龙湾区永强大道1500号 325024", false, true},
    {"常州龙城电机有限公司", "龙城电机", "唐军", "0519-86601234", "常州市新北区太湖东路9号 213022",
     false, true},
    {"石家庄冀中化肥有限公司", "冀中化肥", "董立新", "0311-85201234",
     "石家庄市长安区中山东路300号 050011", false, true},
    {"昆明云岭茶业有限公司", "云岭茶业", "杨春花", "0871-63101234",
     "昆明市五华区东风西路99号 650031", false, true},
    {"大连海通船舶服务有限公司", "海通船舶", "于海波", "0411-82601234",
     "大连市中山区人民路15号 116001", false, true},
    {"福州闽江印务有限公司", "闽江印务", "郭秀兰", "0591-87501234",
     "福州市鼓楼区五四路158号 350003", false, true},
    {"南昌赣江办公设备有限公司", "赣江办公", "彭辉", "0791-86301234",
     "南昌市东湖区八一大道357号 330006", false, true},
};

const char* const Departments[] = {"销售部", "采购部", "财务部", "技术部",
                                   "工程部", "行政部", "市场部", "物流部"};

const char* const Persons[] = {"王芳", "李强", "刘洋", "陈静", "杨帆", "赵磊", "黄丽", "周杰",
                               "吴刚", "徐敏", "孙涛", "马超", "朱琳", "胡斌", "郭婷", "林峰"};

const char* const Surnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴",
                                "徐", "孙", "胡", "朱", "高", "林", "何", "郭", "马", "罗"};
const char* const GivenNames[] = {"伟", "芳",   "娜",   "敏",   "静",   "强",  "磊",
                                  "军", "洋",   "勇",   "艳",   "杰",   "涛",  "明",
                                  "超", "秀英", "建华", "志强", "海燕", "晓东"};

// Names of generated partners: city + brand + trade + "有限公司".
struct City {
    const char* name;
    const char* areaCode;
    const char* street;
    const char* postcode;
};
const City Cities[] = {
    {"北京", "010", "北京市朝阳区建国路", "100022"},
    {"上海", "021", "上海市徐汇区漕溪北路", "200030"},
    {"广州", "020", "广州市越秀区环市东路", "510060"},
    {"深圳", "0755", "深圳市福田区深南大道", "518033"},
    {"杭州", "0571", "杭州市上城区解放路", "310009"},
    {"南京", "025", "南京市玄武区中山路", "210008"},
    {"武汉", "027", "武汉市武昌区中北路", "430077"},
    {"成都", "028", "成都市武侯区人民南路", "610041"},
    {"天津", "022", "天津市和平区南京路", "300041"},
    {"重庆", "023", "重庆市渝中区解放碑", "400010"},
    {"西安", "029", "西安市碑林区南大街", "710001"},
    {"苏州", "0512", "苏州市姑苏区人民路", "215005"},
    {"青岛", "0532", "青岛市崂山区海尔路", "266061"},
    {"厦门", "0592", "厦门市湖里区嘉禾路", "361006"},
    {"长沙", "0731", "长沙市芙蓉区五一大道", "410011"},
    {"郑州", "0371", "郑州市中原区建设西路", "450007"},
    {"合肥", "0551", "合肥市蜀山区长江西路", "230031"},
    {"沈阳", "024", "沈阳市和平区南京北街", "110001"},
    {"济南", "0531", "济南市市中区经四路", "250001"},
    {"宁波", "0574", "宁波市海曙区中山西路", "315010"},
};
const char* const Brands[] = {"华信", "宏达", "东方", "中天", "金桥", "恒通", "瑞丰", "鑫源",
                              "永安", "天成", "嘉禾", "博远", "盛世", "联创", "新华", "远航",
                              "汇通", "正泰", "百川", "海容", "隆基", "安泰", "世纪", "华美",
                              "凯达", "顺发", "富华", "德胜", "佳和", "明阳"};
const char* const Trades[] = {"科技", "机械", "电子", "贸易", "建设", "化工", "物流", "软件",
                              "重工", "医药", "纺织", "食品", "材料", "电力", "实业"};

// The eleven contract types with what their contracts are about and how they are named.
struct TypeInfo {
    std::array<const char*, 5> subjects;
    const char* receive; // name pattern of a 收款 contract
    const char* pay;     // of a 付款 contract
    const char* other;   // of a 其它 contract
    int weight;          // how often the type occurs
    int receivePercent;  // direction shares; the rest is 其它
    int payPercent;
    int minAmount, maxAmount; // yuan
};
const TypeInfo Types[11] = {
    {{"数控机床", "不锈钢板材", "电子元器件", "服务器设备", "化工原料"},
     "%1销售合同",
     "%1采购合同",
     "%1购销框架协议",
     30,
     50,
     45,
     20000,
     2000000},
    {{"机械零部件", "钢结构件", "注塑模具", "包装印刷品", "工作服"},
     "%1来料加工合同",
     "%1委托加工合同",
     "%1加工承揽协议",
     10,
     50,
     45,
     10000,
     500000},
    {{"厂房扩建工程", "办公楼装修工程", "仓库改造工程", "污水处理站", "配电房"},
     "%1设计合同",
     "%1勘察设计合同",
     "%1设计咨询协议",
     6,
     20,
     75,
     50000,
     800000},
    {{"办公楼", "仓库", "厂房", "叉车设备", "运输车辆"},
     "%1出租合同",
     "%1租赁合同",
     "%1租赁意向书",
     8,
     45,
     45,
     24000,
     600000},
    {{"华东地区", "华南地区", "京津冀", "西南地区", "进出口集装箱"},
     "%1货物承运合同",
     "%1货物运输合同",
     "%1运输框架协议",
     8,
     30,
     65,
     5000,
     300000},
    {{"成品", "原材料", "冷链食品", "危险化学品", "进口设备"},
     "%1仓储服务合同",
     "%1仓储保管合同",
     "%1仓储协议",
     6,
     35,
     60,
     10000,
     200000},
    {{"流动资金", "项目", "设备购置", "短期周转", "固定资产"},
     "%1借出合同",
     "%1借款合同",
     "%1借款协议",
     4,
     20,
     40,
     500000,
     5000000},
    {{"厂房及设备", "库存商品", "运输货物", "车辆", "在建工程"},
     "%1保险理赔协议",
     "%1财产保险合同",
     "%1保险协议",
     5,
     10,
     80,
     5000,
     100000},
    {{"ERP系统开发", "生产线自动化改造", "质量管理咨询", "数据中心运维", "专利实施许可"},
     "%1技术合同",
     "%1技术服务合同",
     "%1技术合作协议",
     10,
     50,
     45,
     30000,
     1000000},
    {{"商标权", "专利权", "土地使用权", "股权", "房屋所有权"},
     "%1转让合同",
     "%1受让合同",
     "%1转让协议",
     3,
     40,
     30,
     100000,
     3000000},
    {{"资金", "总分类", "明细分类", "日记", "备查"},
     "%1账簿服务合同",
     "%1账簿代理合同",
     "%1账簿",
     2,
     10,
     10,
     100000,
     5000000},
};

const char* const Directions[] = {"收款", "付款", "其它"};
const char* const States[] = {"未执行", "执行中", "执行完毕"};
const double Rates[] = {0.0003, 0.0003, 0.0005, 0.001, 0.00005, 0.0003, 0.0005};

// Clauses for the long benchmark texts.
const char* const Clauses[] = {
    "甲方应按照本合同约定的时间、地点和方式向乙方支付合同价款，乙方在收到每期款项后七个工作日内向甲"
    "方开具等额增值税专用发票。",
    "乙方保证所交付的标的物符合国家标准、行业标准及双方确认的技术规格，质量保证期为验收合格之日起十"
    "二个月，保证期内出现质量问题的，乙方应免费修理或更换。",
    "标的物的所有权自交付并经甲方验收合格之日起转移给甲方，标的物毁损、灭失的风险在交付之前由乙方承"
    "担，交付之后由甲方承担。",
    "甲方应在收到标的物后十个工作日内组织验收，验收不合格的，甲方有权拒收并书面通知乙方，乙方应在接"
    "到通知后十五日内予以更换或修复。",
    "任何一方未能按照本合同约定履行义务的，应向守约方支付违约金，违约金按未履行部分金额的每日万分之"
    "五计算，但累计不超过合同总额的百分之十。",
    "因不可抗力致使本合同不能履行的，遭受不可抗力的一方应在事件发生后三日内书面通知对方，并在十五日"
    "内提供有关机构出具的证明，双方据此协商是否解除合同或延期履行。",
    "双方对在签订和履行本合同过程中知悉的对方商业秘密和技术资料负有保密义务，未经对方书面同意不得向"
    "任何第三方披露，本条款在合同终止后三年内继续有效。",
    "本合同履行过程中发生争议的，双方应友好协商解决；协商不成的，任何一方均可向合同签订地有管辖权的"
    "人民法院提起诉讼。",
    "本合同未尽事宜，双方可另行签订补充协议，补充协议与本合同具有同等法律效力；补充协议与本合同不一"
    "致的，以补充协议为准。",
    "乙方应指定专人负责本合同的履行与联络工作，人员变更时应提前五个工作日书面通知甲方；因联络不畅造"
    "成的损失由责任方承担。",
    "甲方有权对乙方的生产进度和质量控制进行检查，乙方应予以配合并提供必要的资料；甲方的检查不免除乙"
    "方依约应承担的质量责任。",
    "合同价款已包含标的物的包装费、运输费、保险费、装卸费及税金等一切费用，除双方另有书面约定外，甲"
    "方不再支付其他任何费用。",
    "乙方交货时应随附装箱单、合格证、检验报告及使用说明书等资料，资料不全的，甲方有权暂缓付款直至乙"
    "方补齐相关资料为止。",
    "一方变更名称、地址、开户银行或账号的，应在变更之日起五日内书面通知对方，因未及时通知造成的损失"
    "由变更方自行承担。",
    "本合同自双方法定代表人或授权代表签字并加盖公章或合同专用章之日起生效，有效期至双方权利义务履行"
    "完毕之日止。",
    "本合同一式四份，甲乙双方各执两份，具有同等法律效力；合同附件为本合同不可分割的组成部分，与本合"
    "同正文具有同等效力。",
};
const char* const Numerals[] = {"一",   "二",   "三",   "四",   "五",   "六",   "七",
                                "八",   "九",   "十",   "十一", "十二", "十三", "十四",
                                "十五", "十六", "十七", "十八", "十九", "二十"};
const char* const Remarks[] = {"预付款", "进度款", "到货款", "验收款", "尾款", "质保金"};

// ---------------------------------------------------------------- rows

struct Partner {
    QString number, name, contact, phone, address, shortName;
    bool customer = false, supplier = false;
};

struct Instalment {
    QDate due;
    Currency amount, settled, invoiced;
    QDate settledOn;
    QString remark, voucher;
};

struct Contract {
    int id = 0;
    QString number, name, direction, department, person, type, partner, enteredBy, modifiedBy;
    QString state, text, file;
    Currency amount;
    QDate signedOn, start, end, enteredOn;
    std::vector<Instalment> schedule;
};

// Prepared inserts shared by the demo and the benchmark.
class Writer {
public:
    explicit Writer(Database& db)
        : m_partner(db.prepare(s(
              "INSERT INTO server (ScNum, ScName, 联系人, 联系电话, 地址邮编, 简称, 客户, 供应商) "
              "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))),
          m_contract(db.prepare(
              s("INSERT INTO Compact (CompactID, 合同编号, 合同名称, 合同金额, 签订日期, 收付类型, "
                "所属部门, 责任人, 合同类型, SCNum, 录入, 修改, 开始日期, 截止日期, 录入日期, "
                "执行情况, 合同内容, 文件位置) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                "?, ?, ?, ?)"))),
          m_receive(db.prepare(s("INSERT INTO AccountReceive (应收日期, 应收金额, 实收金额, "
                                 "实收日期, 发票额, 备注, c1, "
                                 "CompactID) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))),
          m_pay(db.prepare(s("INSERT INTO AccountPayable (应付日期, 应付金额, 实付金额, 实付日期, "
                             "发票额, 备注, c1, "
                             "CompactID) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))),
          m_rate(db.prepare(s("INSERT INTO StampTax (SCNum, 印花税率) VALUES (?, ?)"))),
          m_department(db.prepare(s("INSERT INTO Department (部门名称) VALUES (?)"))) {}

    Generator::Counts counts;

    void partner(const Partner& p) {
        const QVariant values[] = {p.number,
                                   p.name,
                                   textOrNull(p.contact),
                                   textOrNull(p.phone),
                                   textOrNull(p.address),
                                   textOrNull(p.shortName),
                                   int(p.customer),
                                   int(p.supplier)};
        run(m_partner, values);
        ++counts.partners;
    }

    void department(const QString& name) {
        const QVariant values[] = {name};
        run(m_department, values);
        ++counts.departments;
    }

    void rate(const QString& partner, double rate) {
        const QVariant values[] = {partner, rate};
        run(m_rate, values);
        ++counts.stampTax;
    }

    void contract(const Contract& c) {
        const QVariant values[] = {c.id,
                                   c.number,
                                   c.name,
                                   money(c.amount),
                                   dateOrNull(c.signedOn),
                                   c.direction,
                                   textOrNull(c.department),
                                   textOrNull(c.person),
                                   c.type,
                                   c.partner,
                                   textOrNull(c.enteredBy),
                                   textOrNull(c.modifiedBy),
                                   dateOrNull(c.start),
                                   dateOrNull(c.end),
                                   dateOrNull(c.enteredOn),
                                   textOrNull(c.state),
                                   textOrNull(c.text),
                                   textOrNull(c.file)};
        run(m_contract, values);
        ++counts.contracts;
        const bool receive = c.direction == s(Directions[0]);
        for (const Instalment& i : c.schedule) {
            const QVariant row[] = {dateOrNull(i.due),     money(i.amount),
                                    money(i.settled),      dateOrNull(i.settledOn),
                                    money(i.invoiced),     textOrNull(i.remark),
                                    textOrNull(i.voucher), c.id};
            run(receive ? m_receive : m_pay, row);
            ++(receive ? counts.receivable : counts.payable);
        }
    }

private:
    template <size_t N> static void run(QSqlQuery& q, const QVariant (&values)[N]) {
        for (size_t i = 0; i < N; ++i)
            q.bindValue(int(i), values[i]);
        Database::exec(q);
    }

    QSqlQuery m_partner, m_contract, m_receive, m_pay, m_rate, m_department;
};

// ---------------------------------------------------------------- shared rules

QString personName(Random& r) {
    return s(r.pick(Surnames)) + s(r.pick(GivenNames));
}

int pickType(Random& r) {
    int total = 0;
    for (const TypeInfo& t : Types)
        total += t.weight;
    int n = r.below(total);
    for (int i = 0; i < 11; ++i) {
        n -= Types[i].weight;
        if (n < 0)
            return i;
    }
    return 0;
}

// 0 收款, 1 付款, 2 其它.
int pickDirection(Random& r, int type) {
    const int n = r.below(100);
    if (n < Types[type].receivePercent)
        return 0;
    if (n < Types[type].receivePercent + Types[type].payPercent)
        return 1;
    return 2;
}

QString contractName(Random& r, int type, int direction) {
    const TypeInfo& t = Types[type];
    const char* pattern = direction == 0 ? t.receive : (direction == 1 ? t.pay : t.other);
    return s(pattern).arg(s(r.pick(t.subjects)));
}

Currency contractAmount(Random& r, int type) {
    const int lo = Types[type].minAmount / 100, hi = Types[type].maxAmount / 100;
    const int64_t whole = int64_t(r.between(lo, hi)) * 100;
    // Most amounts are round; some carry yuan and fen.
    if (r.chance(20))
        return yuan(whole + r.below(100), r.below(100));
    return yuan(whole);
}

// Splits the amount into `count` instalments: an advance, progress payments and a final one.
std::vector<Currency> split(Currency total, int count) {
    static const std::vector<std::vector<int>> Shares = {
        {100}, {30, 70}, {30, 60, 10}, {20, 30, 30, 20}, {10, 30, 30, 20, 10}};
    std::vector<Currency> parts;
    int64_t rest = total.units();
    for (int i = 0; i < count; ++i) {
        int64_t part;
        if (i == count - 1)
            part = rest;
        else if (count <= 5)
            part =
                total.units() * Shares[size_t(count - 1)][size_t(i)] / 100 / 100 * 100; // whole fen
        else
            part = total.units() / count / 100 * 100;
        parts.push_back(Currency::fromUnits(part));
        rest -= part;
    }
    return parts;
}

// Due dates spread over the term; how much is settled depends on where they stand from today.
void fillSchedule(Random& r, Contract& c, int count, QDate today) {
    const std::vector<Currency> amounts = split(c.amount, count);
    const qint64 term = std::max<qint64>(c.start.daysTo(c.end), 30);
    for (int i = 0; i < count; ++i) {
        Instalment in;
        in.amount = amounts[size_t(i)];
        in.due = count == 1 ? c.start.addDays(term / 2)
                            : c.start.addDays(7 + (term - 7) * i / (count - 1));
        in.remark =
            count == 1 ? s("全款") : s(Remarks[i == 0 ? 0 : (i == count - 1 ? 4 : 1 + r.below(3))]);
        // The same draws whatever the day, so that only the dates depend on today.
        const int settleRoll = r.below(100), partRoll = r.below(100), invoiceRoll = r.below(100);
        const int settleShift = r.between(-5, 20), voucher = r.between(1, 9999);
        const qint64 age = in.due.daysTo(today); // > 0: in the past
        int settledPercent = 0;
        if (age > 30)
            settledPercent = settleRoll < 90 ? 100 : (partRoll < 50 ? 50 : 0);
        else if (age > 0)
            settledPercent = settleRoll < 40 ? 100 : (partRoll < 30 ? 30 : 0);
        in.settled = Currency::fromUnits(in.amount.units() * settledPercent / 100 / 100 * 100);
        if (settledPercent > 0) {
            in.settledOn = std::min(today, in.due.addDays(settleShift));
            in.invoiced = in.settled;
            in.voucher = s("记-%1-%2").arg(in.settledOn.year()).arg(voucher, 4, 10, QChar(u'0'));
        } else if (invoiceRoll < 15) {
            in.invoiced = in.amount; // invoiced ahead of payment
        }
        c.schedule.push_back(in);
    }
}

QString executionState(const Contract& c, QDate today) {
    if (c.start > today)
        return s(States[0]);
    if (!c.schedule.empty()) {
        bool all = true, any = false;
        for (const Instalment& i : c.schedule) {
            all = all && i.settled >= i.amount;
            any = any || i.settled.units() > 0;
        }
        if (all)
            return s(States[2]);
        if (!any && c.signedOn.daysTo(today) < 30)
            return s(States[0]);
        return s(States[1]);
    }
    return s(States[c.end < today ? 2 : 1]);
}

QString header(const Contract& c, const QString& partnerName) {
    const bool weReceive = c.direction == s(Directions[0]);
    const QString first = weReceive ? partnerName : s(OurCompany);
    const QString second = weReceive ? s(OurCompany) : partnerName;
    return s("合同编号：%1\n甲方：%2\n乙方：%3\n"
             "根据《中华人民共和国民法典》及有关法律法规的规定，甲乙双方本着平等自愿、诚实信用的原"
             "则，"
             "经友好协商，就%4事宜达成如下协议：\n"
             "第一条 合同金额：人民币%5元。\n"
             "第二条 履行期限：自%6起至%7止。\n")
        .arg(c.number, first, second, c.name, c.amount.format(),
             c.start.toString(s("yyyy年M月d日")), c.end.toString(s("yyyy年M月d日")));
}

// The text of a demo contract: the header and a short close.
QString shortText(const Contract& c, const QString& partnerName) {
    return header(c, partnerName) +
           s("第三条 付款方式：按双方确认的付款计划分期支付。\n"
             "第四条 本合同一式两份，双方各执一份，自双方签字盖章之日起生效。");
}

int utf8Size(const QString& text) {
    int n = 0;
    for (QChar ch : text)
        n += ch.unicode() < 0x80 ? 1 : (ch.unicode() < 0x800 ? 2 : 3);
    return n;
}

// About 2 KB (UTF-8) of contract text: the header and clauses drawn at random.
QString longText(Random& r, const Contract& c, const QString& partnerName) {
    static const std::vector<QString> clauses = [] {
        std::vector<QString> v;
        for (const char* clause : Clauses)
            v.push_back(s(clause));
        return v;
    }();
    // As many draws on every day: the header's length varies with the dates.
    int picks[18];
    for (int& pick : picks)
        pick = r.below(int(clauses.size()));
    QString text = header(c, partnerName);
    text.reserve(800);
    int size = utf8Size(text);
    for (int article = 2; size < 2048 && article < 20; ++article) {
        const QString line =
            s("第%1条 ").arg(s(Numerals[article])) + clauses[size_t(picks[article - 2])] + u'\n';
        text += line;
        size += utf8Size(line);
    }
    return text;
}

// Generated partners for the benchmark: unique names from city, brand and trade.
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

// Indices of the partners that may take a contract of each direction.
struct PartnerPools {
    std::vector<int> byDirection[3];
    explicit PartnerPools(const std::vector<Partner>& partners) {
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
};

// Stamp-tax rates: most partners have one, every tenth none, the first partner two (the
// first row counts).
void writeRates(Writer& w, const std::vector<Partner>& partners) {
    for (size_t i = 0; i < partners.size(); ++i)
        if (i % 10 != 9)
            w.rate(partners[i].number, Rates[i % std::size(Rates)]);
    if (!partners.empty())
        w.rate(partners.front().number, 0.0005);
}

// The common part of a contract: everything but its number, text and schedule.
Contract makeContract(Random& r, int type, int direction, const QString& partner, QDate signedOn,
                      QDate today) {
    Contract c;
    c.type = Schema::contractTypes().at(type);
    c.direction = s(Directions[direction]);
    c.name = contractName(r, type, direction);
    c.partner = partner;
    c.amount = contractAmount(r, type);
    c.signedOn = signedOn;
    c.start = signedOn.addDays(r.between(0, 15));
    c.end = c.start.addDays(r.between(3, 24) * 30);
    c.enteredOn = std::min(today, signedOn.addDays(r.between(0, 3)));
    c.department =
        s(direction == 0 ? (r.chance(70) ? "销售部" : r.pick(Departments))
                         : (direction == 1 ? (r.chance(60) ? "采购部" : r.pick(Departments))
                                           : r.pick(Departments)));
    c.person = s(r.pick(Persons));
    c.enteredBy = s(r.chance(75) ? "管理员" : "张三");
    if (r.chance(20))
        c.modifiedBy = s(r.chance(50) ? "管理员" : "张三");
    return c;
}

void writeOperators(Database& db, Generator::Counts& counts) {
    QSqlQuery q = db.prepare(
        s("INSERT INTO Operator (OperatorName, 增加, 删除, 修改, 用户权限设置, 数据备份, 数据恢复, "
          "k1, "
          "Password, 审核, 收款管理, 付款管理) VALUES (?, ?, 0, ?, 0, 0, 0, 0, ?, 0, 0, 0)"));
    const struct {
        const char* name;
        int add, modify;
        const char* password;
    } operators[] = {{"张三", 1, 1, "123"}, {"李四", 0, 0, "abc"}};
    for (const auto& o : operators) {
        q.bindValue(0, s(o.name));
        q.bindValue(1, o.add);
        q.bindValue(2, o.modify);
        q.bindValue(3, s(o.password));
        Database::exec(q);
    }
    QSqlQuery n(db.connection());
    counts.operators =
        n.exec(s("SELECT count(*) FROM Operator")) && n.next() ? n.value(0).toInt() : 0;
}

template <class Fill> Generator::Counts inTransaction(Database& db, Fill fill) {
    db.transaction();
    try {
        Generator::Counts counts = fill();
        db.commit();
        return counts;
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace

namespace Generator {

Counts fillDemo(Database& db, QDate today) {
    return inTransaction(db, [&] {
        Random r(20260101);
        Writer w(db);
        const std::vector<Partner> partners = demoPartners();
        for (const Partner& p : partners)
            w.partner(p);
        for (const char* d : Departments)
            w.department(s(d));
        writeRates(w, partners);
        writeOperators(db, w.counts);

        // 200 contracts signed over the last two years, numbered per year in signing order.
        const PartnerPools pools(partners);
        std::vector<int> ages;
        for (int i = 0; i < 200; ++i)
            ages.push_back(r.between(0, 720));
        std::sort(ages.begin(), ages.end(), std::greater<int>());
        std::vector<Contract> contracts;
        std::vector<size_t> byDirection[3];
        int perYear = 0, year = 0;
        for (int i = 0; i < 200; ++i) {
            const int type = i < 11 ? (i * 7) % 11 : pickType(r); // every type at least once
            const int direction = pickDirection(r, type);
            const Partner& p = partners[size_t(r.pick(pools.byDirection[direction]))];
            Contract c =
                makeContract(r, type, direction, p.number, today.addDays(-ages[size_t(i)]), today);
            c.id = i + 1;
            if (c.signedOn.year() != year) {
                year = c.signedOn.year();
                perYear = 0;
            }
            c.number = s("HT%1-%2").arg(year).arg(++perYear, 3, 10, QChar(u'0'));
            c.text = shortText(c, p.name);
            if (r.chance(10))
                c.file = s("C:\\Zanbook\\合同扫描\\%1.pdf").arg(c.number);
            if (direction < 2)
                fillSchedule(r, c, r.between(1, 5), today);
            byDirection[direction].push_back(contracts.size());
            contracts.push_back(std::move(c));
        }

        // Make sure the reminders have something to show on any day: open instalments due
        // today and within the week, some overdue, and a few without a due date.
        auto force = [&](int direction, int nth, QDate due) {
            const auto& list = byDirection[direction];
            if (list.empty())
                return;
            Contract& c = contracts[list[list.size() - 1 - size_t(nth) % list.size()]];
            Instalment& in = c.schedule.back();
            in.due = due;
            in.settled = Currency();
            in.settledOn = QDate();
            in.voucher.clear();
        };
        for (int direction = 0; direction < 2; ++direction) {
            force(direction, 0, today);
            force(direction, 1, today.addDays(2));
            force(direction, 2, today.addDays(5));
            force(direction, 3, today.addDays(7));
            force(direction, 4, today.addDays(-3));
            force(direction, 5, today.addDays(-40));
            force(direction, 6, QDate());
            force(direction, 7, QDate());
        }
        for (Contract& c : contracts) {
            c.state = executionState(c, today);
            w.contract(c);
        }
        return w.counts;
    });
}

Counts fillBench(Database& db, const BenchSize& size, QDate today) {
    return inTransaction(db, [&] {
        // The text index is built once after the load: faster than row by row.
        Schema::dropTextIndex(db.connection());
        Random r(1000003);
        Writer w(db);
        const std::vector<Partner> partners = makePartners(r, std::max(size.partners, 1));
        for (const Partner& p : partners)
            w.partner(p);
        for (const char* d : Departments)
            w.department(s(d));
        writeRates(w, partners);
        writeOperators(db, w.counts);

        // Directions first: the instalments are dealt out over the 收款 and 付款 contracts.
        const int n = size.contracts;
        std::vector<int8_t> types(static_cast<size_t>(n)), directions(static_cast<size_t>(n));
        std::vector<int> scheduled;
        for (int i = 0; i < n; ++i) {
            types[size_t(i)] = int8_t(pickType(r));
            directions[size_t(i)] = int8_t(pickDirection(r, types[size_t(i)]));
            if (directions[size_t(i)] < 2)
                scheduled.push_back(i);
        }
        if (scheduled.empty() && size.instalments > 0 && n > 0) {
            directions[0] = 0;
            scheduled.push_back(0);
        }
        std::vector<int> counts(static_cast<size_t>(n), 0);
        for (int k = 0; k < size.instalments && !scheduled.empty(); ++k)
            ++counts[size_t(scheduled[size_t(r.below(int(scheduled.size())))])];

        // Signed over six years up to today, in number order.
        const PartnerPools pools(partners);
        const int span = 6 * 365;
        int perYear = 0, year = 0;
        for (int i = 0; i < n; ++i) {
            const int direction = directions[size_t(i)];
            const Partner& p = partners[size_t(r.pick(pools.byDirection[direction]))];
            const QDate signedOn = today.addDays(-span + qint64(i) * span / std::max(n, 1));
            Contract c = makeContract(r, types[size_t(i)], direction, p.number, signedOn, today);
            c.id = i + 1;
            if (signedOn.year() != year) {
                year = signedOn.year();
                perYear = 0;
            }
            c.number = s("HT%1-%2").arg(year).arg(++perYear, 5, 10, QChar(u'0'));
            c.text = longText(r, c, p.name);
            if (r.chance(5))
                c.file = s("C:\\Zanbook\\合同扫描\\%1.pdf").arg(c.number);
            fillSchedule(r, c, counts[size_t(i)], today);
            for (Instalment& in : c.schedule)
                if (r.chance(1))
                    in.due = QDate(); // a few without a due date
            c.state = executionState(c, today);
            w.contract(c);
        }
        if (!Schema::addTextIndex(db.connection()))
            throw DataError(s("无法建立合同内容索引"));
        return w.counts;
    });
}

} // namespace Generator
