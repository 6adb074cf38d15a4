-- Example sales database: customers, their orders and the order lines.
-- Dates are ISO texts (YYYY-MM-DD), which SQLite compares as dates.
PRAGMA foreign_keys = ON;
BEGIN;

CREATE TABLE clientes (
    id_cliente INTEGER PRIMARY KEY,
    nombre     TEXT NOT NULL,
    ciudad     TEXT NOT NULL,
    alta       TEXT NOT NULL
);

CREATE TABLE pedidos (
    id_pedido  INTEGER PRIMARY KEY,
    id_cliente INTEGER NOT NULL REFERENCES clientes(id_cliente),
    fecha      TEXT NOT NULL,
    estado     TEXT NOT NULL
);

CREATE TABLE lineas (
    id_linea  INTEGER PRIMARY KEY,
    id_pedido INTEGER NOT NULL REFERENCES pedidos(id_pedido),
    producto  TEXT NOT NULL,
    cantidad  INTEGER NOT NULL,
    precio    REAL NOT NULL
);

INSERT INTO clientes VALUES
    (1, 'Ferretería Núñez', 'Sevilla', '2021-03-15'),
    (2, 'Panadería Muñoz e Hijos', 'Málaga', '2020-11-02'),
    (3, 'Librería Cervantes', 'Madrid', '2019-06-21'),
    (4, 'Construcciones Ibáñez', 'Zaragoza', '2022-01-10'),
    (5, 'Óptica Peña', 'Valencia', '2023-05-30'),
    (6, 'Farmacia Gómez', 'Madrid', '2018-09-14'),
    (7, 'Talleres Martínez', 'Bilbao', '2022-07-07'),
    (8, 'Papelería Ortiz', 'Sevilla', '2024-02-01');

INSERT INTO pedidos VALUES
    (101, 1, '2024-01-12', 'Entregado'),
    (102, 1, '2024-03-05', 'Entregado'),
    (103, 2, '2024-01-20', 'Entregado'),
    (104, 2, '2024-04-18', 'Pendiente'),
    (105, 3, '2024-02-02', 'Entregado'),
    (106, 3, '2024-02-27', 'Anulado'),
    (107, 3, '2024-05-09', 'Pendiente'),
    (108, 4, '2024-03-14', 'Entregado'),
    (109, 5, '2024-01-30', 'Entregado'),
    (110, 5, '2024-06-11', 'Enviado'),
    (111, 6, '2024-02-22', 'Entregado'),
    (112, 6, '2024-05-28', 'Enviado'),
    (113, 7, '2024-04-03', 'Entregado'),
    (114, 8, '2024-03-19', 'Entregado'),
    (115, 8, '2024-06-25', 'Pendiente');

INSERT INTO lineas VALUES
    (1, 101, 'Tornillos 4x40 (caja)', 10, 3.95),
    (2, 101, 'Martillo de carpintero', 2, 12.50),
    (3, 101, 'Cinta métrica 5 m', 4, 6.75),
    (4, 102, 'Taladro percutor', 1, 89.90),
    (5, 102, 'Brocas para hormigón', 3, 14.20),
    (6, 103, 'Harina de trigo 25 kg', 8, 18.40),
    (7, 103, 'Levadura fresca', 20, 0.85),
    (8, 104, 'Bandejas de horno', 6, 9.99),
    (9, 105, 'Papel de regalo (rollo)', 15, 2.30),
    (10, 105, 'Marcapáginas', 100, 0.40),
    (11, 106, 'Estantería de roble', 2, 149.00),
    (12, 107, 'Diccionario de español', 5, 29.95),
    (13, 107, 'Atlas escolar', 5, 19.50),
    (14, 108, 'Sacos de cemento', 40, 6.10),
    (15, 108, 'Arena fina (m³)', 3, 38.00),
    (16, 108, 'Guantes de trabajo', 12, 3.25),
    (17, 109, 'Monturas de acetato', 6, 45.00),
    (18, 109, 'Líquido para lentillas', 24, 7.80),
    (19, 110, 'Gafas de sol polarizadas', 4, 59.90),
    (20, 111, 'Termómetro digital', 10, 8.45),
    (21, 111, 'Mascarillas (caja de 50)', 6, 11.00),
    (22, 112, 'Tensiómetro de brazo', 2, 39.95),
    (23, 113, 'Aceite de motor 5 l', 8, 27.60),
    (24, 113, 'Filtro de aire', 5, 12.15),
    (25, 113, 'Llave dinamométrica', 1, 74.50),
    (26, 114, 'Cuadernos A4', 50, 1.60),
    (27, 114, 'Bolígrafos azules (caja)', 10, 4.20),
    (28, 114, 'Carpetas de cartón', 30, 0.95),
    (29, 115, 'Grapadora', 3, 8.90),
    (30, 115, 'Tóner de impresora', 2, 64.00);

COMMIT;
