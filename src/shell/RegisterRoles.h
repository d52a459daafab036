#pragma once

// Who may write a register on a server: two roles of the server, made by
// `vemora-admin create --server` and given to logins by `vemora-admin grant`.
// vemora_editor reads and writes every table; vemora_viewer only reads. A
// login holding only vemora_viewer opens the register read-only (see
// store::Database::mayWrite), and the server refuses its writes anyway.

#include <QString>

#include <optional>

namespace store {
class Database;
}

namespace shell {

inline const QString EditorRole = QStringLiteral("vemora_editor");
inline const QString ViewerRole = QStringLiteral("vemora_viewer");

// The role named on the command line: "editor" or "viewer".
std::optional<QString> registerRole(const QString& name);

// Makes both roles when the server lacks them and grants them the
// register's tables and sequences: the editor reading and writing, the
// viewer reading. Raises DbError; the register's database must hold it.
void createRegisterRoles(store::Database& db);

// Gives login the role (EditorRole or ViewerRole), taking the other one
// from it, so that a login holds exactly the one it was last given.
void grantRegisterRole(store::Database& db, const QString& login, const QString& role);

} // namespace shell
