// A handler that writes its own statement: the layer check must name it.
void Form1::Command5_Click() { m_db.executeSql(QStringLiteral("Drop View ") + m_ui.Text11->text()); }
