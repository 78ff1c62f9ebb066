#pragma once

// The errors the in-memory server raises, with SQL Server's texts, SQLSTATEs and native codes.

#include <QString>

#include "platform/odbc/adodb.h"

namespace fake {

adodb::Error LoginFailed(const QString& message);
adodb::Error ConnectionFailed();
adodb::Error RefusedStatement(const QString& message);
adodb::Error Cancelled();
adodb::Error ObjectClosed();
adodb::Error ObjectOpen();
adodb::Error NoCurrentRecord();
adodb::Error NoSuchField(int index);
adodb::Error SchemaNotSupported();
adodb::Error FetchFailed(const QString& message);

adodb::Error SyntaxErrorNear(const QString& token);
adodb::Error SyntaxErrorNearKeyword(const QString& keyword);
adodb::Error UnclosedQuotation(const QString& rest);
adodb::Error InvalidObjectName(const QString& name);
adodb::Error InvalidColumnName(const QString& name);
adodb::Error UnboundIdentifier(const QString& identifier);
adodb::Error ObjectExists(const QString& name);
adodb::Error DuplicateColumn(const QString& column, const QString& table);
adodb::Error ValueCountMismatch();
adodb::Error CannotDrop(const QString& name);
adodb::Error NoTransaction(const QString& request);
adodb::Error CommunicationLinkFailure();

}  // namespace fake
