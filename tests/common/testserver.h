#pragma once
// The second run of the tests, on a PostgreSQL server: with QINTARA_TEST_DATABASE set (and the
// server named by the PG* variables, as pg_virtualenv sets them), every register fixture is a
// database of its own on the server, copied from one made once per test program.
#include <QString>

namespace TestServer {

bool active();
// A fresh register on the server; its URL.
QString newRegister();
// Removes a register newRegister() made.
void drop(const QString& address);

} // namespace TestServer
