#include "shell/RegisterRoles.h"

#include "store/Database.h"
#include "store/ServerEngine.h"

#include <sqlite3.h>

namespace shell {

std::optional<QString> registerRole(const QString& name) {
    if (name == QLatin1String("editor"))
        return EditorRole;
    if (name == QLatin1String("viewer"))
        return ViewerRole;
    return std::nullopt;
}

void createRegisterRoles(store::Database& db) {
    store::ServerConnection& server = db.server();
    store::Transaction tx(db);
    // Roles belong to the whole server: another register may have made
    // them already, or be making them at this moment.
    for (const QString& role : {EditorRole, ViewerRole})
        db.runServerText(QStringLiteral("DO $$ BEGIN CREATE ROLE %1 NOLOGIN; EXCEPTION WHEN "
                                        "duplicate_object OR unique_violation THEN NULL; END $$")
                             .arg(role));
    // The schema that holds the register; its name is the server's, so it
    // is quoted as an identifier.
    store::Query q(db, QStringLiteral("SELECT current_schema() AS name"));
    q.next();
    const QString schema = server.quoteIdentifier(q.rawText(QStringLiteral("name")));
    db.runServerText(
        QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2, %3;"
                       "GRANT SELECT ON ALL TABLES IN SCHEMA %1 TO %3;"
                       "GRANT SELECT ON ALL SEQUENCES IN SCHEMA %1 TO %3;"
                       "GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA %1 TO %2;"
                       "GRANT USAGE, SELECT, UPDATE ON ALL SEQUENCES IN SCHEMA %1 TO %2")
            .arg(schema, EditorRole, ViewerRole));
    tx.commit();
}

void grantRegisterRole(store::Database& db, const QString& login, const QString& role) {
    if (role != EditorRole && role != ViewerRole)
        throw store::DbError(QStringLiteral("No such role: %1").arg(role), SQLITE_MISUSE);
    const QString other = role == EditorRole ? ViewerRole : EditorRole;
    // A role or login name is an identifier, which GRANT cannot take as a
    // bound value: the login, typed by the administrator, is quoted with
    // the server's own identifier quoting (PQescapeIdentifier) instead; the
    // role names are the program's constants.
    const QString who = db.server().quoteIdentifier(login);
    store::Transaction tx(db);
    db.runServerText(QStringLiteral("REVOKE %1 FROM %2").arg(other, who));
    db.runServerText(QStringLiteral("GRANT %1 TO %2").arg(role, who));
    tx.commit();
}

} // namespace shell
